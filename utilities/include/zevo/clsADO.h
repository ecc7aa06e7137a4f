#pragma once
// Database access for clients of the utility library: one connection, plain SQL
// texts and stored functions described by a package document. The connection
// string keeps its ADO form (Provider, Password, User ID, Data Source); underneath,
// the connection is an ODBC connection through unixODBC (see OdbcConnection).
//
// Errors are not trapped here: every member throws DatabaseError (driver
// diagnostics) or RuntimeError (document and argument errors) to its caller and
// leaves the object as it was before the call.
#include <memory>
#include <string>
#include <vector>

#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"

namespace zevo {

// One diagnostic record of the driver or the driver manager.
struct DatabaseDiagnostic {
    std::string sqlState;     // five characters, "08001", "42601", ...
    long nativeError = 0;
    std::string message;
};

// A failed database call with every diagnostic record the driver gave. The
// number is ADO's generic provider failure (0x80004005), which callers of the
// former ADO class compared; what() reads "[SQLSTATE] text" per record.
class DatabaseError : public RuntimeError {
public:
    static constexpr int kNumber = -2147467259;
    DatabaseError(const std::string& during, std::vector<DatabaseDiagnostic> diagnostics);
    const std::vector<DatabaseDiagnostic>& diagnostics() const { return diagnostics_; }
    // SQLSTATE of the first record ("" when the driver gave none).
    std::string sqlState() const;

private:
    std::vector<DatabaseDiagnostic> diagnostics_;
};

// A result set read forward: field names, and per row each value as UTF-8 text.
// The rows are read whole when the statement runs, so every driver error shows
// at Execute and the set stays readable after the connection closes.
class Recordset {
public:
    Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<std::string>> rows,
              std::vector<std::vector<bool>> nulls);

    int FieldCount() const { return static_cast<int>(fieldNames_.size()); }
    const std::string& FieldName(int index) const;   // 9 when out of range
    int RecordCount() const { return static_cast<int>(rows_.size()); }

    // Read forward only, so a set is before its first row only when it has none.
    bool BOF() const { return rows_.empty(); }
    bool AtEnd() const { return position_ >= RecordCount(); }   // ADO's EOF
    void MoveNext();                                            // 3021 past the end

    // Value of the current row by index or by field name (names ignore case);
    // "" for SQL NULL. 3021 when there is no current row, 9 for an unknown field.
    const std::string& Value(int index) const;
    const std::string& Value(const std::string& fieldName) const;
    bool IsNull(int index) const;

private:
    int indexOf(const std::string& fieldName) const;
    void requireRow() const;
    std::vector<std::string> fieldNames_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::vector<bool>> nulls_;
    int position_ = 0;
};

// One parameter of a statement run with bound values.
struct BoundParameter {
    enum class Type { Text, Numeric };
    Type type = Type::Text;
    std::string value;   // UTF-8 text; numbers as their decimal text
};

// The connection underneath clsADO: an ODBC environment and connection handle.
//
// How the ADO connection string becomes an ODBC one (made from the same values
// as the ADO text, so no value has to survive being parsed back out of it):
// - the provider names no ODBC driver; the data source does;
// - "Data Source" holding "=" is a full ODBC connection string and is used as it
//   stands ("Driver=...;Servername=...;Database=..."); otherwise it is the name
//   of an ODBC data source, "DSN=name" (a name holding ";", "{" or "}" is
//   refused: the driver manager would read another name);
// - a non-empty password is added as "PWD={...}", the braces (with "}" doubled)
//   letting it hold ";" and "="; a non-empty user as "UID=name", braced only
//   when it holds ";", "{", "}" or outer spaces (psqlODBC keeps braces there).
// - the ODBC text is made from the values, not parsed back out of the ADO text,
//   where a ";" in a value would end it.
class OdbcConnection {
public:
    OdbcConnection();   // allocates the ODBC environment; DatabaseError on failure
    ~OdbcConnection();  // closes an open connection, never throws
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // The connection string in its ADO form, as assigned by clsADO.
    const std::string& ConnectionString() const { return adoText_; }
    // What Open hands to the driver manager.
    const std::string& OdbcConnectionString() const { return odbcText_; }
    bool IsOpen() const { return dbc_ != nullptr; }

    // Both texts at once; 3705 while the connection is open (as ADO refuses it).
    void AssignConnectionString(const std::string& adoText, const std::string& odbcText);
    void Open();    // DatabaseError, connection still closed, when the driver refuses
    void Close();   // DatabaseError, connection still open, when the driver refuses

    // Runs a statement (with "?" markers for the parameters) and reads its result:
    // a dynamic, read-only cursor as asked (the driver may choose a lesser one).
    // A statement without result columns gives a set with no field.
    Recordset Run(const std::string& sql, const std::vector<BoundParameter>& parameters = {});

    // The translation described above; RuntimeError 5 for an unusable name.
    static std::string TranslateToOdbc(const std::string& dataSource, const std::string& user,
                                       const std::string& password);

private:
    void* env_ = nullptr;   // SQLHENV
    void* dbc_ = nullptr;   // SQLHDBC while open
    std::string adoText_;
    std::string odbcText_;
};

// The provider enumeration of the connection string: one member, "MSDAORA.1".
enum class Provider { MSDAORA_1 = 0 };

class clsADO {
public:
    clsADO();
    ~clsADO();   // disconnects; never throws
    clsADO(const clsADO&) = delete;
    clsADO& operator=(const clsADO&) = delete;

    // The connection, created on first use.
    OdbcConnection& Connection();

    zevo::Provider Provider() const { return provider_; }
    void Provider(zevo::Provider v) { provider_ = v; }
    const std::string& DataSource() const { return dataSource_; }
    void DataSource(const std::string& v) { dataSource_ = v; }
    const std::string& DBUserName() const { return userName_; }
    void DBUserName(const std::string& v) { userName_ = v; }
    const std::string& DBPassword() const { return password_; }
    void DBPassword(const std::string& v) { password_ = v; }

    // Stores each argument that is given (provider not -1, texts not empty), then
    // builds the connection string and assigns it to the connection. A provider
    // other than -1 and 0 is refused (5); while connected the call is refused
    // (3705) and nothing is stored.
    void CreateConnectionString(int pProvider = -1, const std::string& pDataSource = {},
                                const std::string& pDBUserName = {},
                                const std::string& pDBUserPassword = {});

    void Connect();      // opens when not connected
    void DisConnect();   // closes when connected
    bool Connected() const { return connected_; }

    // The rows of a SQL text, or nothing when it has no field or no row.
    std::unique_ptr<Recordset> Execute(const std::string& pSQL);

    // The package document: loaded or filled by the client; packages are found by
    // their XML ID, so its DTD must declare one.
    const xml::DocumentPtr& PackageDocument() const { return packageDocument_; }

    // Selects the package node with this ID. An unknown ID is refused (9) and the
    // selection kept.
    void Package(const std::string& pPackageId);
    xml::Node PackageNode() const { return packageNode_; }

    // Sets "Value" of the parameter at a zero-based index, or of the first one
    // whose "Name" matches ignoring case. No effect without a selected package;
    // an unknown index or name is refused (9).
    void ParameterByIndex(int pParaIndex, const std::string& pValue);
    void ParameterByName(const std::string& pParaName, const std::string& pValue);

    // Runs the selected package's function with its parameters bound (values
    // never become part of the SQL text); the rows as Execute gives them, nothing
    // without a selected package. A package without parameters, a parameter of an
    // unknown "DataType" and names that are not plain identifiers are refused (5).
    std::unique_ptr<Recordset> ExcutePackage();

    // The statement text of the selected package with its values spliced in,
    // "SELECT P.F('x',5) a FROM DUAL": what the package stands for, for logs and
    // comparison; ExcutePackage does not run this text. "" without a package.
    std::string PackageStatement() const;

private:
    zevo::Provider provider_ = zevo::Provider::MSDAORA_1;
    std::string dataSource_;
    std::string userName_;
    std::string password_;
    bool connected_ = false;
    std::unique_ptr<OdbcConnection> connection_;
    xml::DocumentPtr packageDocument_;
    xml::Node packageNode_;
};

}  // namespace zevo
