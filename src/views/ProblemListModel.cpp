#include "views/ProblemListModel.h"

#include "session/ProblemEditor.h"
#include "plot/ColorRef.h"
#include "plot/QtText.h"

#include "calc/RunState.h"

namespace solvane {

TProblemListModel::TProblemListModel(TProblemEditor& problems, QObject* parent)
    : QAbstractTableModel(parent), problems_(problems)
{
}

int TProblemListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : problems_.RowCount(); }

int TProblemListModel::CurrentRow() const { return problems_.CurrentRow(); }

int TProblemListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant TProblemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::BackgroundRole)
        return index.row() % 2 == 1 ? QVariant(ColorFromRef(kMoneyGreen)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return FromCp1251(problems_.NameAt(index.row()));
}

QVariant TProblemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("Название задачи");
    return {};
}

Qt::ItemFlags TProblemListModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool TProblemListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const QString text = value.toString();
    if (const QString refusal = Cp1251Refusal(text); !refusal.isEmpty()) {
        if (OnRefused)
            OnRefused(refusal);
        return false;
    }
    if (!problems_.RenameAt(index.row(), ToCp1251(text.left(kProblemTextLength))))
        return false;
    emit dataChanged(index, index);
    return true;
}

void TProblemListModel::Follow(bool rowsChanged)
{
    if (rowsChanged) {
        beginResetModel();
        endResetModel();
        return;
    }
    const int row = CurrentRow();
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, 0));
}

} // namespace solvane
