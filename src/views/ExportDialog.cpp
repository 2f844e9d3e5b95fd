#include "views/ExportDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>
#include <QStringList>

#include <algorithm>

namespace solvane {
namespace {

struct TExportKind {
    QString Filter;
    QString Suffix;
};

QList<TExportKind> ExportKinds()
{
    return {{QStringLiteral("SVG (*.svg)"), QStringLiteral("svg")},
            {QStringLiteral("PNG (*.png)"), QStringLiteral("png")},
            {QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf")},
            {QStringLiteral("Метафайл Windows (*.wmf)"), QStringLiteral("wmf")},
            {QStringLiteral("Данные CSV (*.csv)"), QStringLiteral("csv")}};
}

} // namespace

std::optional<TExportChoice> ChooseExportFile(QWidget* parent, QString& folder)
{
    const QList<TExportKind> kinds = ExportKinds();
    QStringList filters;
    for (const TExportKind& kind : kinds)
        filters << kind.Filter;
    QString chosen = kinds[0].Filter;
    TExportChoice choice;
    choice.Path = QFileDialog::getSaveFileName(parent, QStringLiteral("Экспорт диаграммы"),
                                               folder.isEmpty() ? QDir::currentPath() : folder,
                                               filters.join(QStringLiteral(";;")), &chosen);
    if (choice.Path.isEmpty())
        return std::nullopt;
    folder = QFileInfo(choice.Path).absolutePath();
    choice.Suffix = QFileInfo(choice.Path).suffix().toLower();
    const auto known = std::find_if(kinds.begin(), kinds.end(),
                                    [&](const TExportKind& k) { return k.Suffix == choice.Suffix; });
    if (known == kinds.end()) {
        // No known extension typed: the chosen filter's is added.
        for (const TExportKind& kind : kinds)
            if (kind.Filter == chosen)
                choice.Suffix = kind.Suffix;
        choice.Path += QLatin1Char('.') + choice.Suffix;
    }
    return choice;
}

} // namespace solvane
