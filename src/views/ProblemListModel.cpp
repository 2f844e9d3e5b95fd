#include "views/ProblemListModel.h"

#include "store/ProblemTable.h"
#include "plot/ColorRef.h"
#include "plot/QtText.h"

#include "calc/RunState.h"

namespace solvane {

TProblemListModel::TProblemListModel(TProblemTable& problems, QObject* parent)
    : QAbstractTableModel(parent), problems_(problems)
{
}

int TProblemListModel::rowCount(const QModelIndex& parent) const
{
    const TVolgaTable& table = problems_.Table();
    if (parent.isValid() || !table.Active())
        return 0;
    return table.RecordCount() + (table.State() == TTableState::Insert ? 1 : 0);
}

int TProblemListModel::CurrentRow() const
{
    const TVolgaTable& table = problems_.Table();
    if (!table.Active())
        return -1;
    return table.State() == TTableState::Insert ? table.RecordCount() : table.RecNo() - 1;
}

int TProblemListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant TProblemListModel::data(const QModelIndex& index, int role) const
{
    const TVolgaTable& table = problems_.Table();
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::BackgroundRole)
        return index.row() % 2 == 1 ? QVariant(ColorFromRef(kMoneyGreen)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const int field = table.FieldIndex("ProblemName");
    if (index.row() == CurrentRow())
        return FromCp1251(table.AsString(field)); // the pending edit or insert, if any
    const TVolgaRow& row = table.Rows()[table.VisibleRows()[static_cast<std::size_t>(index.row())]];
    return FromCp1251(ReadProblemRow(table, row.Values).ProblemName);
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
    TVolgaTable& table = problems_.Table();
    if (index.row() != CurrentRow() && !table.MoveToRecNo(index.row() + 1))
        return false;
    table.SetAsString("ProblemName", ToCp1251(text.left(kProblemTextLength)));
    emit dataChanged(index, index);
    return true;
}

void TProblemListModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void TProblemListModel::CurrentRowChanged()
{
    const int row = CurrentRow();
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, 0));
}

} // namespace solvane
