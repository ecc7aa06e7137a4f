// The ODBC side of clsADO: diagnostics, the connection, running statements and
// reading their rows. Texts cross the driver manager as UTF-16 through the wide
// entry points, so UTF-8 values (Vietnamese names) reach the driver unchanged
// whatever the process locale; the narrow entry points would leave the
// conversion to the driver manager's idea of the character set.
#include "zevo/clsADO.h"

#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <utility>

namespace zevo {
namespace {

std::u16string toWide(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
}

std::string fromWide(const SQLWCHAR* text, std::size_t length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                              static_cast<qsizetype>(length))
        .toStdString();
}

SQLWCHAR* wideArg(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

std::vector<DatabaseDiagnostic> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<DatabaseDiagnostic> out;
    if (!handle) return out;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> message(SQL_MAX_MESSAGE_LENGTH);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message.data(),
                                      static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        std::size_t shown = std::min<std::size_t>(static_cast<std::size_t>(length), message.size() - 1);
        out.push_back({fromWide(state, 5), static_cast<long>(native), fromWide(message.data(), shown)});
    }
    return out;
}

// Throws the handle's diagnostics unless the call succeeded (SQL_NO_DATA counts
// as success: a searched UPDATE that touched no row).
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* during) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    throw DatabaseError(during, readDiagnostics(handleType, handle));
}

std::string joinDiagnostics(const std::string& during, const std::vector<DatabaseDiagnostic>& d) {
    std::string text = during + ": ";
    if (d.empty()) return text + "the driver gave no diagnostic";
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (i) text += "; ";
        text += "[" + d[i].sqlState + "] " + d[i].message;
    }
    return text;
}

// Frees the statement however Run leaves.
class Statement {
public:
    explicit Statement(SQLHDBC dbc) {
        zevo::check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle_), SQL_HANDLE_DBC, dbc,
              "Allocating a statement");
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return handle_; }
    void check(SQLRETURN rc, const char* during) const {
        zevo::check(rc, SQL_HANDLE_STMT, handle_, during);
    }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

// One column value as text, read in pieces so that long values are whole.
bool readColumn(const Statement& stmt, SQLUSMALLINT column, std::string& value) {
    constexpr SQLLEN kChunkChars = 2048;
    SQLWCHAR buffer[kChunkChars];
    std::u16string wide;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        stmt.check(rc, "Reading a value");
        if (indicator == SQL_NULL_DATA) {
            value.clear();
            return false;
        }
        const SQLLEN room = kChunkChars - 1;   // the driver ends every piece with a zero
        SQLLEN chars = (indicator == SQL_NO_TOTAL) ? room
                                                   : std::min<SQLLEN>(indicator / sizeof(SQLWCHAR), room);
        wide.append(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(chars));
        if (rc == SQL_SUCCESS) break;          // SQL_SUCCESS_WITH_INFO: 01004, more to come
        if (indicator != SQL_NO_TOTAL && indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)) <= room) break;
    }
    value = QString::fromStdU16String(wide).toStdString();
    return true;
}

}  // namespace

// ---- DatabaseError ---------------------------------------------------------

DatabaseError::DatabaseError(const std::string& during, std::vector<DatabaseDiagnostic> diagnostics)
    : RuntimeError(kNumber, joinDiagnostics(during, diagnostics)),
      diagnostics_(std::move(diagnostics)) {}

std::string DatabaseError::sqlState() const {
    return diagnostics_.empty() ? std::string() : diagnostics_.front().sqlState;
}

// ---- OdbcConnection --------------------------------------------------------

OdbcConnection::OdbcConnection() {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw DatabaseError("Allocating the ODBC environment", {});
    SQLRETURN rc = SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(rc)) {
        auto diagnostics = readDiagnostics(SQL_HANDLE_ENV, env);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw DatabaseError("Choosing ODBC 3", std::move(diagnostics));
    }
    env_ = env;
}

OdbcConnection::~OdbcConnection() {
    if (dbc_) {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void OdbcConnection::AssignConnectionString(const std::string& adoText, const std::string& odbcText) {
    if (IsOpen()) throw RuntimeError(3705, "Operation is not allowed when the object is open.");
    adoText_ = adoText;
    odbcText_ = odbcText;
}

void OdbcConnection::Open() {
    if (IsOpen()) throw RuntimeError(3705, "Operation is not allowed when the object is open.");
    SQLHDBC dbc = SQL_NULL_HDBC;
    check(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc), SQL_HANDLE_ENV, env_, "Connect");
    std::u16string text = toWide(odbcText_);
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, wideArg(text), SQL_NTS, completed,
                                     sizeof completed / sizeof completed[0], &completedLength,
                                     SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        auto diagnostics = readDiagnostics(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw DatabaseError("Connect", std::move(diagnostics));
    }
    dbc_ = dbc;
}

void OdbcConnection::Close() {
    if (!IsOpen()) return;
    check(SQLDisconnect(dbc_), SQL_HANDLE_DBC, dbc_, "DisConnect");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    dbc_ = nullptr;
}

Recordset OdbcConnection::Run(const std::string& sql, const std::vector<BoundParameter>& parameters) {
    if (!IsOpen())
        throw RuntimeError(3709, "The connection cannot be used to perform this operation. "
                                 "It is either closed or invalid in this context.");
    Statement stmt(dbc_);
    // Requests, as ADO's cursor and lock types are: a driver without dynamic
    // cursors substitutes another (01S02) or refuses the option, and the rows are
    // read forward either way.
    SQLSetStmtAttr(stmt.get(), SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    SQLSetStmtAttr(stmt.get(), SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_DYNAMIC), 0);

    std::vector<std::u16string> values;
    std::vector<SQLLEN> lengths(parameters.size());
    values.reserve(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const BoundParameter& p = parameters[i];
        values.push_back(toWide(p.value));
        std::u16string& v = values.back();
        lengths[i] = static_cast<SQLLEN>(v.size() * sizeof(SQLWCHAR));
        SQLULEN columnSize = std::max<SQLULEN>(1, v.size());
        SQLSMALLINT digits = 0;
        if (p.type == BoundParameter::Type::Numeric) {
            auto point = p.value.find('.');
            if (point != std::string::npos) digits = static_cast<SQLSMALLINT>(p.value.size() - point - 1);
        }
        stmt.check(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                    SQL_C_WCHAR,
                                    p.type == BoundParameter::Type::Text ? SQL_WVARCHAR : SQL_NUMERIC,
                                    columnSize, digits, wideArg(v), lengths[i], &lengths[i]),
                   "Binding a parameter");
    }

    std::u16string text = toWide(sql);
    stmt.check(SQLExecDirectW(stmt.get(), wideArg(text), SQL_NTS), "Execute");

    SQLSMALLINT columns = 0;
    stmt.check(SQLNumResultCols(stmt.get(), &columns), "Reading the result columns");
    std::vector<std::string> names;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0, type = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        stmt.check(SQLDescribeColW(stmt.get(), c, name, 256, &nameLength, &type, &size, &decimals, &nullable),
                   "Reading the result columns");
        names.push_back(fromWide(name, std::min<std::size_t>(static_cast<std::size_t>(nameLength), 255)));
    }

    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<bool>> nulls;
    if (columns > 0) {
        for (;;) {
            SQLRETURN rc = SQLFetch(stmt.get());
            if (rc == SQL_NO_DATA) break;
            stmt.check(rc, "Reading a row");
            std::vector<std::string> row(names.size());
            std::vector<bool> rowNulls(names.size());
            for (std::size_t c = 0; c < names.size(); ++c)
                rowNulls[c] = !readColumn(stmt, static_cast<SQLUSMALLINT>(c + 1), row[c]);
            rows.push_back(std::move(row));
            nulls.push_back(std::move(rowNulls));
        }
    }
    return Recordset(std::move(names), std::move(rows), std::move(nulls));
}

std::string OdbcConnection::TranslateToOdbc(const std::string& dataSource, const std::string& user,
                                            const std::string& password) {
    auto braced = [](const std::string& value) {
        std::string out = "{";
        for (char c : value) {
            out += c;
            if (c == '}') out += '}';
        }
        return out + "}";
    };
    auto needsBraces = [](const std::string& value) {
        return value.find_first_of(";{}") != std::string::npos ||
               (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    };
    std::string text;
    if (dataSource.find('=') != std::string::npos) {
        text = dataSource;
        if (text.back() != ';') text += ';';
    } else {
        // The driver manager reads a data source name as it stands (no braces).
        if (dataSource.find_first_of(";{}") != std::string::npos)
            throw RuntimeError(err::kInvalidCall, "\"" + dataSource + "\" is not a data source name.");
        text = "DSN=" + dataSource + ";";
    }
    // psqlODBC takes braces off a password but keeps them on a user name, so a
    // user name gets them only when it could not stand without them.
    if (!user.empty()) text += "UID=" + (needsBraces(user) ? braced(user) : user) + ";";
    if (!password.empty()) text += "PWD=" + braced(password) + ";";
    return text;
}

// ---- Recordset -------------------------------------------------------------

Recordset::Recordset(std::vector<std::string> fieldNames, std::vector<std::vector<std::string>> rows,
                     std::vector<std::vector<bool>> nulls)
    : fieldNames_(std::move(fieldNames)), rows_(std::move(rows)), nulls_(std::move(nulls)) {}

const std::string& Recordset::FieldName(int index) const {
    if (index < 0 || index >= FieldCount())
        throw RuntimeError(err::kSubscriptOutOfRange, "No field at index " + std::to_string(index) + ".");
    return fieldNames_[static_cast<std::size_t>(index)];
}

void Recordset::MoveNext() {
    if (AtEnd())
        throw RuntimeError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
    ++position_;
}

void Recordset::requireRow() const {
    if (BOF() || AtEnd())
        throw RuntimeError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
}

const std::string& Recordset::Value(int index) const {
    requireRow();
    FieldName(index);   // range check
    return rows_[static_cast<std::size_t>(position_)][static_cast<std::size_t>(index)];
}

const std::string& Recordset::Value(const std::string& fieldName) const {
    return Value(indexOf(fieldName));
}

bool Recordset::IsNull(int index) const {
    requireRow();
    FieldName(index);
    return nulls_[static_cast<std::size_t>(position_)][static_cast<std::size_t>(index)];
}

int Recordset::indexOf(const std::string& fieldName) const {
    const QString wanted = QString::fromStdString(fieldName);
    for (int i = 0; i < FieldCount(); ++i)
        if (QString::fromStdString(fieldNames_[static_cast<std::size_t>(i)])
                .compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    throw RuntimeError(err::kSubscriptOutOfRange, "No field named \"" + fieldName + "\".");
}

}  // namespace zevo
