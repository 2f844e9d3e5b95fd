#include "views/QtSeams.h"

#include "plot/QtText.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace solvane {

bool TQtMessageSink::Show(TMessageKind kind, const std::string& text)
{
    const QString message = FromCp1251(text);
    const QString title = QStringLiteral("Solvane");
    switch (kind) {
    case TMessageKind::Warning:
        QMessageBox::warning(parent_, title, message);
        return false;
    case TMessageKind::Error:
        QMessageBox::critical(parent_, title, message);
        return false;
    case TMessageKind::Information:
        QMessageBox::information(parent_, title, message);
        return false;
    case TMessageKind::Confirmation:
        return QMessageBox::question(parent_, title, message, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }
    return false;
}

void TQtMessageSink::ShowError(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Solvane"), text, QMessageBox::Ok, parent_);
    box.setDetailedText(detail);
    box.exec();
}

std::optional<std::string> TQtDatabaseDialogs::ChooseDatabase()
{
    QFileDialog dialog(parent_);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // After construction, which restores the folder the dialog last visited.
    if (!StartFolder.isEmpty())
        dialog.setDirectory(StartFolder);
    dialog.setNameFilter(QStringLiteral("Thermodynamic properties (*.d)"));
    dialog.setDefaultSuffix(QString::fromLatin1(kDatabaseExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> TQtDatabaseDialogs::ChooseSaveName(const std::string& current)
{
    QFileDialog dialog(parent_, QStringLiteral("Сохранить базу данных под другим именем"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Thermodynamic properties (*.d)"));
    dialog.setDefaultSuffix(QString::fromLatin1(kDatabaseExtension));
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(current)));
    if (file.absoluteDir().exists())
        dialog.setDirectory(file.absolutePath());
    dialog.selectFile(file.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> TQtDatabaseDialogs::AskText(const std::string& title, const std::string& prompt,
                                                       const std::string& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, FromCp1251(title), FromCp1251(prompt), QLineEdit::Normal,
                                                 QFile::decodeName(QByteArray::fromStdString(text)), &ok);
    if (!ok)
        return std::nullopt;
    return QFile::encodeName(answer).toStdString();
}

void TQtDatabaseDialogs::SetCaption(const std::string& caption)
{
    // "Database: " and a path, or a path alone: both read as file names.
    if (OnCaption)
        OnCaption(QFile::decodeName(QByteArray::fromStdString(caption)));
}

} // namespace solvane
