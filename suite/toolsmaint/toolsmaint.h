#pragma once
// Maintenance of the Tools menu: the rows of `apps` in the data root, one per
// entry (an option of the suite or an outside program). The launcher calls
// ShowDllForm with its session record and its two option lists: row i of
// `optionNames` is the caption of the option named in row i of `dllList`.

#include <cstdint>

#include <QDialog>

#include "varnex/linksection.h"

class QListWidget;

extern "C" {

// Shows the maintenance window modally; -1 when done, 0 when the data root
// cannot be opened (the launcher then says "Access denied...").
std::int32_t ShowDllForm(TLinkSection record, QListWidget* optionNames, QListWidget* dllList);

// The window without showing it (tests drive it by its components' names);
// nullptr when the data root cannot be opened. The caller owns it.
QDialog* toolsmaint_create_window(TLinkSection record, QListWidget* optionNames, QListWidget* dllList);
}
