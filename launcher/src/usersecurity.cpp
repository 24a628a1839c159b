#include "usersecurity.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

#include "varnex/data/table.h"

namespace varnex::launcher {

int SecurityBit(int ledger, int group, int item)
{
    return (ledger & 0x7F) * 105 + (group & 0x7F) * 15 + item;
}

bool SecurityBitSet(const QByteArray& map, int ledger, int group, int item)
{
    const int bit = SecurityBit(ledger, group, item);
    if (bit < 0 || bit / 8 >= map.size())
        return false;
    return (static_cast<unsigned char>(map.at(bit / 8)) >> (bit % 8)) & 1;
}

int MenuTag(const QObject* menuObject)
{
    return menuObject ? menuObject->property("Tag").toInt() : 0;
}

TUserSecurityManager::TUserSecurityManager(QObject* owner)
    : QObject(owner)
    , m_map(SecurityMapBytes, '\0')
{
    setObjectName(QStringLiteral("UserSecurityManager1"));
}

void TUserSecurityManager::setDataSource(data::DataSet* dataSource)
{
    disconnect(m_recordConnection);
    disconnect(m_setConnection);
    m_dataSource = dataSource;
    if (dataSource) {
        m_recordConnection = connect(dataSource, &data::DataSet::recordChanged, this, [this] {
            Reload();
            if (OnChange)
                OnChange();
        });
        m_setConnection = connect(dataSource, &data::DataSet::dataSetChanged, this, [this] {
            Reload();
            if (OnChange)
                OnChange();
        });
    }
    Reload();
}

bool TUserSecurityManager::setBytesField(const QString& fieldName, QString* designMessage)
{
    if (m_dataSource && m_dataSource->isOpen()) {
        data::Field* field = m_dataSource->findField(fieldName);
        if (!field || field->size() < SecurityMapBytes) {
            m_bytesField.clear();
            if (designMessage)
                *designMessage = QStringLiteral("Field size must be at least ") + QString::number(SecurityMapBytes)
                                 + QStringLiteral(" bytes");
            return false;
        }
    }
    m_bytesField = fieldName;
    Reload();
    return true;
}

data::Field* TUserSecurityManager::mapField() const
{
    if (!m_dataSource || !m_dataSource->isOpen() || m_bytesField.isEmpty())
        return nullptr;
    data::Field* field = m_dataSource->findField(m_bytesField);
    if (field && field->size() < SecurityMapBytes)
        return nullptr;
    return field;
}

void TUserSecurityManager::Reload()
{
    data::Field* field = mapField();
    const bool onRecord = m_dataSource && m_dataSource->isOpen() && !m_dataSource->isEmpty();
    if (field && onRecord && !field->isNull() && field->value().typeId() == QMetaType::QByteArray)
        setMap(field->asBytes());
    else
        m_map = QByteArray(SecurityMapBytes, '\0');
}

void TUserSecurityManager::setMap(const QByteArray& map)
{
    m_map = map.left(SecurityMapBytes);
    if (m_map.size() < SecurityMapBytes)
        m_map.append(QByteArray(SecurityMapBytes - m_map.size(), '\0'));
}

void TUserSecurityManager::WriteBack()
{
    if (data::Field* field = mapField())
        field->setBytes(m_map);
}

bool TUserSecurityManager::Test(int ledger, int group, int item) const
{
    return SecurityBitSet(m_map, ledger, group, item);
}

void TUserSecurityManager::MarkEntries(const QList<QAction*>& entries, int ledger, int first, int groupBase, int last,
                                       bool useEnabled) const
{
    for (int index = std::max(first, 0), k = 0; index <= last && index < entries.size(); ++index, ++k) {
        QMenu* group = entries[index]->menu();
        if (!group)
            continue;
        const QList<QAction*> items = group->actions();
        for (int i = 0; i < items.size(); ++i) {
            const bool granted = Test(ledger, groupBase + k, i);
            if (useEnabled)
                items[i]->setEnabled(granted);
            else
                items[i]->setVisible(granted);
        }
    }
}

void TUserSecurityManager::MarkTMenu(QMenu* menu, int first, int groupBase, int last, bool useEnabled) const
{
    if (menu)
        MarkEntries(menu->actions(), MenuTag(menu), first, groupBase, last, useEnabled);
}

void TUserSecurityManager::MarkMenu(QMenuBar* menuBar, int first, int groupBase, int last, bool useEnabled) const
{
    if (menuBar)
        MarkEntries(menuBar->actions(), MenuTag(menuBar), first, groupBase, last, useEnabled);
}

} // namespace varnex::launcher
