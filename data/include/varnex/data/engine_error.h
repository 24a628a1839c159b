#pragma once
// Errors of the storage engine. Every failure of the engine is an EngineError
// with a category (high byte), a code (category and sub-code in one number,
// e.g. 0x2801) and a message for the user. Callers test codes, never message
// texts: the retry loop of a locked record waits on RecordLocked only.

#include <stdexcept>

#include <QString>

namespace varnex::data {

namespace ErrorCategory {
constexpr int System = 0x21;
constexpr int NotFound = 0x22;
constexpr int DataCorrupt = 0x23;
constexpr int InputOutput = 0x24;
constexpr int Limit = 0x25;
constexpr int Integrity = 0x26;
constexpr int InvalidRequest = 0x27;
constexpr int LockConflict = 0x28;
constexpr int Network = 0x2C;
constexpr int Query = 0x2E;
} // namespace ErrorCategory

namespace ErrorCode {
// Another process holds the record: retrying may succeed later.
constexpr int RecordLocked = 0x2801; // 10241
// Another cursor of this same process holds the record. Kept apart from
// RecordLocked on purpose: a retry loop on the one user-interface thread would
// wait forever for a lock that only that thread can release.
constexpr int RecordLockedHere = 0x2802;
// The database stayed busy (another process writing) beyond the busy timeout.
constexpr int TableBusy = 0x2803;
// A table may not be dropped, emptied or replaced while this process has it open.
constexpr int TableInUse = 0x2804;

constexpr int KeyViolation = 0x2601; // "Key violation."

constexpr int TableNotFound = 0x2201;
constexpr int FieldNotFound = 0x2202;
constexpr int RecordDeleted = 0x2203; // the current record vanished before edit or post
constexpr int AliasNotFound = 0x2204;
constexpr int FolderNotFound = 0x2205;

constexpr int CorruptDatabase = 0x2301; // not a database, or damaged pages

constexpr int WriteFailed = 0x2401;   // disk full, read-only file, I/O error
constexpr int InjectedFault = 0x2402; // a test asked the engine to fail this write
// The file system holding the data is full: the user can act on it (free
// space, then run again), unlike a failing disk.
constexpr int DiskFull = 0x2403;

constexpr int InvalidName = 0x2701;       // table, field or alias name with forbidden characters
constexpr int WrongState = 0x2702;        // e.g. Post without Edit/Insert, write on a closed table
constexpr int ReadOnly = 0x2703;          // table opened read-only or field marked read-only
constexpr int TypeMismatch = 0x2704;      // value of the wrong type for a field or parameter
constexpr int TableExists = 0x2705;       // create of a table that is already there
constexpr int InvalidDefinition = 0x2706; // empty field list, duplicate field, key on unknown field
constexpr int TransactionActive = 0x2707; // a second transaction on the same database
constexpr int InvalidRequest = 0x2708;    // e.g. more key values than key fields, a circular master link

constexpr int NetworkFolder = 0x2C01; // data folder on NFS/SMB/CIFS
// The database server cannot be reached, refused the connection, or the
// connection broke; what was not committed was rolled back by the server.
constexpr int ServerUnavailable = 0x2C02;

constexpr int QuerySyntax = 0x2E01;    // the SQL text was refused
constexpr int QueryParameter = 0x2E02; // unknown or unbound :parameter
} // namespace ErrorCode

class EngineError : public std::runtime_error {
public:
    EngineError(int code, const QString& message);

    int code() const { return m_code; }
    int category() const { return (m_code >> 8) & 0xFF; }
    int subCode() const { return m_code & 0xFF; }
    const QString& message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};

// The language of the messages the engine writes for the user itself (a
// server that cannot be reached, a data folder on a network share): 1
// English, 2 French. The launcher sets it with its own language; modules run
// in its process and share it.
void SetEngineMessageLanguage(int language);
int EngineMessageLanguage();
// The English or the French text, by the engine's message language.
QString EngineText(const QString& english, const QString& french);

} // namespace varnex::data
