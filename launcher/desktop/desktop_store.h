#pragma once
// The stored desktops: the rows of Desktop in the data root, one per stored
// component of one user.

#include <QByteArray>
#include <QList>
#include <QString>

namespace varnex::launcher::desktop {

struct DesktopRow {
    int componentIndex = 0; // Desktop_ComponentIndex
    int type = 0;           // Desktop_Component_type (ComponentType), as stored
    QByteArray component;   // Desktop_Component: the "TPF0" stream
    bool operator==(const DesktopRow&) const = default;
};

// The rows of one user in the order they were written. Engine errors go to
// the caller.
QList<DesktopRow> ReadDesktopRows(const QString& dataRoot, const QString& user);

// Replaces every row of the user by `rows`, in one transaction: when a write
// fails, the stored desktop stays as it was. Other users' rows are never
// touched.
void ReplaceDesktopRows(const QString& dataRoot, const QString& user, const QList<DesktopRow>& rows);

} // namespace varnex::launcher::desktop
