// Placeholder translation unit; the library fills in.
