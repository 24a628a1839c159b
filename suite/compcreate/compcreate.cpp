#include "compcreate.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <cstring>
#include <exception>
#include <iterator>

#include "varnex/data/company.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/translation/message_lines.h"

namespace {

namespace lines = varnex::translation::compcreate_lines;

// The texts without a language table, in line order.
const char* const kDesignTexts[] = {
    "Company %1",
    "The data folder \"%1\" does not exist.",
    "The company %1 is being created by another workstation: wait until it finishes.",
    "The disk holding %1 is full: the company was not created. Free some space, then try again.",
};
static_assert(std::size(kDesignTexts) == lines::All.size());

QString text(int language, int line)
{
    const QStringList table = varnex::translation::MessageLinesOfTable(
        language == 2 ? QStringLiteral("compcreatefr") : QStringLiteral("compcreateen"), QStringLiteral("CompCreate"),
        QStringLiteral("Messages"));
    const QString fromTable = table.value(line);
    return fromTable.isEmpty() ? QString::fromUtf8(kDesignTexts[line]) : fromTable;
}

// The number after the highest one in use, so that a company removed from
// the middle of the list never has its number (and folder) given again.
int nextCompanyNumber(const QString& dataRoot)
{
    varnex::data::Table comp;
    comp.setFolder(dataRoot);
    comp.setTableName(QStringLiteral("comp"));
    comp.setReadOnly(true);
    comp.open();
    int highest = 0;
    for (comp.first(); !comp.eof(); comp.next())
        highest = std::max<int>(highest, static_cast<int>(comp.field(QStringLiteral("Comp_Code")).asInteger()));
    comp.close();
    int number = highest + 1;
    // A folder left behind by a company removed from the list is not reused.
    while (QDir(varnex::data::CompanyFolderOf(dataRoot, number)).exists())
        ++number;
    return number;
}

int createNext(const QString& dataRoot, const QString& name, int language, QString& error)
{
    if (dataRoot.isEmpty() || !QDir(dataRoot).exists()) {
        error = text(language, lines::DataRootMissing).arg(dataRoot);
        return -1;
    }
    QString folder;
    try {
        varnex::data::CompanyOptions options;
        options.number = nextCompanyNumber(dataRoot);
        folder = varnex::data::CompanyFolderOf(dataRoot, options.number);
        options.name =
            name.trimmed().isEmpty() ? text(language, lines::DefaultName).arg(options.number) : name.trimmed();
        options.language = language == 1 ? 1 : 2;
        varnex::data::CreateCompany(dataRoot, options);
        return options.number;
    } catch (const varnex::data::SetupError& refusal) {
        error = refusal.kind() == varnex::data::SetupError::Kind::CompanyBeingCreated
                    ? text(language, lines::CompanyBeingCreated).arg(refusal.subject())
                    : refusal.message();
    } catch (const varnex::data::EngineError& failure) {
        error = failure.code() == varnex::data::ErrorCode::DiskFull ? text(language, lines::DiskFull).arg(folder)
                                                                    : failure.message();
    } catch (const std::exception& failure) {
        error = QString::fromUtf8(failure.what());
    }
    return -1;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) std::int32_t ShowDllForm(TLinkSection received)
{
    varnex::LinkRecord record(received);
    const int language = record.raw().Link_language;
    QString error;
    if (createNext(record.text(&TLinkSection::Link_data_dir), QString(), language, error) < 0)
        varnex::ShowErrorMessage(error);
    return -1;
}

__attribute__((visibility("default"))) std::int32_t CreateNextCompany(const char* dataRoot, const char* name,
                                                                      std::int32_t language, char* error,
                                                                      std::int32_t errorCapacity)
{
    QString why;
    const int number =
        createNext(QString::fromUtf8(dataRoot ? dataRoot : ""), QString::fromUtf8(name ? name : ""), language, why);
    if (number < 0 && error && errorCapacity > 0) {
        const QByteArray text = why.toUtf8();
        const std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(errorCapacity - 1));
        std::memcpy(error, text.constData(), length);
        error[length] = '\0';
    }
    return number;
}

} // extern "C"
