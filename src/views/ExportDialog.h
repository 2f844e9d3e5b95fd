#pragma once
// The file dialog of the diagram's export: the formats offered, the folder it
// opens in, and the extension added when the name typed has none it knows.
#include <QString>

#include <optional>

class QWidget;

namespace solvane {

struct TExportChoice {
    QString Path;
    QString Suffix; // "svg", "png", "pdf", "wmf" or "csv", lower case
};

// `folder`: where the dialog opens (the current folder when empty); becomes the
// chosen file's. Nothing when the user cancelled.
std::optional<TExportChoice> ChooseExportFile(QWidget* parent, QString& folder);

} // namespace solvane
