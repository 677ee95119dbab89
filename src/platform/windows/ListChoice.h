#pragma once
// The row the user highlighted in a single-choice list, or -1 when there is none.
#include <QListWidget>

namespace listchoice {

inline int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

} // namespace listchoice
