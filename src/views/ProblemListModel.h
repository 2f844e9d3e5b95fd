#pragma once
// The problem list: one column "Название задачи" over the visible rows of the
// problem table, the current row's pending edit or insert included. Every second row
// is money green; a name is edited in place, at most 20 characters.
#include <QAbstractTableModel>

#include <functional>

namespace solvane {

class TProblemEditor;

class TProblemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TProblemListModel(TProblemEditor& problems, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The list row of the current problem: a new one being inserted is listed
    // at the bottom, where it stays once posted. -1 without one.
    int CurrentRow() const;

    // Follows the problems' notification: rows came or went (open, insert,
    // delete, cancel, a move), or the current row's values changed.
    void Follow(bool rowsChanged);

    // A typed text that cannot be stored: the message, shown by the window.
    std::function<void(const QString&)> OnRefused;

private:
    TProblemEditor& problems_;
};

} // namespace solvane
