#include "store/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace solvane {
namespace fs = std::filesystem;

namespace {

std::string SystemReason(int error, const char* fallback)
{
    return error != 0 ? std::generic_category().message(error) : fallback;
}

std::string TemporaryNameBeside(const std::string& path)
{
    std::random_device random;
    std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
    for (;;) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".~%06x", digits(random));
        std::string candidate = path + suffix;
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return candidate;
    }
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), size);
    return in.gcount() == size;
}

void ReplaceFile(const std::string& path, std::string_view bytes, const TOutputOpener& open)
{
    const std::string temporary = TemporaryNameBeside(path);
    std::error_code ignored;
    try {
        errno = 0;
        std::unique_ptr<std::ostream> out;
        if (open)
            out = open(temporary);
        else
            out = std::make_unique<std::ofstream>(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !*out)
            throw std::runtime_error("Cannot create file " + path + ": " + SystemReason(errno, "cannot open"));
        errno = 0;
        out->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out->flush();
        if (auto* file = dynamic_cast<std::ofstream*>(out.get()))
            file->close();
        if (!*out)
            throw std::runtime_error("Cannot write file " + path + ": " + SystemReason(errno, "write failed"));
        out.reset();
        // The new file keeps the permissions of the one it replaces.
        const fs::file_status old = fs::status(path, ignored);
        if (fs::exists(old))
            fs::permissions(temporary, old.permissions(), ignored);
        std::error_code ec;
        fs::rename(temporary, path, ec);
        if (ec)
            throw std::runtime_error("Cannot write file " + path + ": " + ec.message());
    } catch (...) {
        fs::remove(temporary, ignored);
        throw;
    }
}

} // namespace solvane
