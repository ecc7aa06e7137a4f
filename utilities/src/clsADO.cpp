#include "zevo/clsADO.h"

#include <QString>

namespace zevo {
namespace {

const char* const kTemplate =
    "Provider=[+PROVIDER+];Password=[+PASSWORD+];User ID=[+USER ID+];"
    "Data Source=[+DATA SOURCE+];Persist Security Info=True";

bool sameLetters(char a, char b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

// Every occurrence, matched without regard to letter case, left to right; the
// inserted text is not searched again.
std::string replaceIgnoringCase(const std::string& text, const std::string& pattern,
                                const std::string& replacement) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        bool match = i + pattern.size() <= text.size();
        for (std::size_t k = 0; match && k < pattern.size(); ++k) match = sameLetters(text[i + k], pattern[k]);
        if (match) {
            out += replacement;
            i += pattern.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string upper(const std::string& text) { return QString::fromStdString(text).toUpper().toStdString(); }

// Package and procedure names end up in the SQL text, so they must be plain
// identifiers (Oracle's characters: letters, digits, "_", "$", "#").
bool plainIdentifier(const std::string& name) {
    if (name.empty()) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(name.front())) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '$' && c != '#') return false;
    return true;
}

}  // namespace

clsADO::clsADO() : packageDocument_(xml::Document::create()) {}

clsADO::~clsADO() {
    try {
        DisConnect();
    } catch (...) {
        // The connection's own destructor frees the handles whatever the driver says.
    }
}

OdbcConnection& clsADO::Connection() {
    if (!connection_) connection_ = std::make_unique<OdbcConnection>();
    return *connection_;
}

void clsADO::CreateConnectionString(int pProvider, const std::string& pDataSource,
                                    const std::string& pDBUserName, const std::string& pDBUserPassword) {
    if (pProvider != -1 && pProvider != static_cast<int>(zevo::Provider::MSDAORA_1))
        throw RuntimeError(err::kInvalidCall, "Unknown provider " + std::to_string(pProvider) + ".");
    // Worked out on copies and stored only once the connection has taken the text.
    const zevo::Provider provider = pProvider == -1 ? provider_ : static_cast<zevo::Provider>(pProvider);
    const std::string dataSource = pDataSource.empty() ? dataSource_ : pDataSource;
    const std::string userName = pDBUserName.empty() ? userName_ : pDBUserName;
    const std::string password = pDBUserPassword.empty() ? password_ : pDBUserPassword;

    std::string text = kTemplate;
    if (provider == zevo::Provider::MSDAORA_1) text = replaceIgnoringCase(text, "[+PROVIDER+]", "MSDAORA.1");
    text = replaceIgnoringCase(text, "[+PASSWORD+]", password);
    text = replaceIgnoringCase(text, "[+USER ID+]", userName);
    text = replaceIgnoringCase(text, "[+DATA SOURCE+]", dataSource);

    Connection().AssignConnectionString(text, OdbcConnection::TranslateToOdbc(dataSource, userName, password));
    provider_ = provider;
    dataSource_ = dataSource;
    userName_ = userName;
    password_ = password;
}

void clsADO::Connect() {
    if (connected_) return;
    Connection().Open();
    connected_ = true;
}

void clsADO::DisConnect() {
    if (!connected_) return;
    Connection().Close();
    connected_ = false;
}

namespace {
std::unique_ptr<Recordset> rowsOrNothing(Recordset&& set) {
    if (set.FieldCount() == 0 || (set.BOF() && set.AtEnd())) return nullptr;
    return std::make_unique<Recordset>(std::move(set));
}
}  // namespace

std::unique_ptr<Recordset> clsADO::Execute(const std::string& pSQL) {
    return rowsOrNothing(Connection().Run(pSQL));
}

void clsADO::Package(const std::string& pPackageId) {
    xml::Node node = packageDocument_->elementById(pPackageId);
    if (node.isNull())
        throw RuntimeError(err::kSubscriptOutOfRange,
                           "The package document has no package with the ID \"" + pPackageId + "\".");
    packageNode_ = node;
}

void clsADO::ParameterByIndex(int pParaIndex, const std::string& pValue) {
    if (packageNode_.isNull()) return;
    std::vector<xml::Node> parameters = packageNode_.childElements();
    if (pParaIndex < 0 || pParaIndex >= static_cast<int>(parameters.size()))
        throw RuntimeError(err::kSubscriptOutOfRange,
                           "The package has no parameter at index " + std::to_string(pParaIndex) + ".");
    parameters[static_cast<std::size_t>(pParaIndex)].setAttribute("Value", pValue);
}

void clsADO::ParameterByName(const std::string& pParaName, const std::string& pValue) {
    if (packageNode_.isNull()) return;
    const std::string wanted = upper(pParaName);
    for (xml::Node parameter : packageNode_.childElements()) {
        if (upper(xml::GetAttributeValue(parameter, "Name")) == wanted) {
            parameter.setAttribute("Value", pValue);   // the first namesake only
            return;
        }
    }
    throw RuntimeError(err::kSubscriptOutOfRange, "The package has no parameter named \"" + pParaName + "\".");
}

namespace {
std::vector<xml::Node> parametersOf(const xml::Node& package) {
    std::vector<xml::Node> parameters = package.childElements();
    if (parameters.empty())
        throw RuntimeError(err::kInvalidCall, "The package \"" + xml::GetAttributeValue(package, "PackageName") + "." +
                                                  xml::GetAttributeValue(package, "ProcedureName") + "\" has no parameters.");
    return parameters;
}
}  // namespace

std::string clsADO::PackageStatement() const {
    if (packageNode_.isNull()) return {};
    std::string list;
    for (const xml::Node& parameter : parametersOf(packageNode_)) {
        const std::string type = xml::GetAttributeValue(parameter, "DataType");
        const std::string value = xml::GetAttributeValue(parameter, "Value");
        // Quotes inside a value are not doubled: this text is for reading, the
        // statement that runs binds the values.
        std::string rendered;
        if (type == "String") rendered = "'" + value + "'";
        else if (type == "Numeric") rendered = value;
        list += rendered + ",";
    }
    list.pop_back();   // at least one parameter, so one separator to drop
    return "SELECT " + xml::GetAttributeValue(packageNode_, "PackageName") + "." + xml::GetAttributeValue(packageNode_, "ProcedureName") + "(" +
           list + ") a FROM DUAL";
}

std::unique_ptr<Recordset> clsADO::ExcutePackage() {
    if (packageNode_.isNull()) return nullptr;
    const std::string packageName = xml::GetAttributeValue(packageNode_, "PackageName");
    const std::string procedureName = xml::GetAttributeValue(packageNode_, "ProcedureName");
    if (!plainIdentifier(packageName) || !plainIdentifier(procedureName))
        throw RuntimeError(err::kInvalidCall, "\"" + packageName + "." + procedureName +
                                                  "\" is not a plain package and procedure name.");
    std::vector<BoundParameter> bound;
    std::string markers;
    for (const xml::Node& parameter : parametersOf(packageNode_)) {
        const std::string type = xml::GetAttributeValue(parameter, "DataType");
        BoundParameter p;
        if (type == "String") p.type = BoundParameter::Type::Text;
        else if (type == "Numeric") p.type = BoundParameter::Type::Numeric;
        else
            throw RuntimeError(err::kInvalidCall, "The parameter \"" + xml::GetAttributeValue(parameter, "Name") +
                                                      "\" has the data type \"" + type +
                                                      "\"; only \"String\" and \"Numeric\" are known.");
        p.value = xml::GetAttributeValue(parameter, "Value");
        bound.push_back(std::move(p));
        markers += markers.empty() ? "?" : ",?";
    }
    return rowsOrNothing(
        Connection().Run("SELECT " + packageName + "." + procedureName + "(" + markers + ") a FROM DUAL", bound));
}

}  // namespace zevo
