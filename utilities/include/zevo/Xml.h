#pragma once
// Thin C++ layer over libxml2 for the declaration documents, menu, ini files and
// catalogues: documents with DTD-declared IDs, ID look-up that stays right after
// attribute writes, cloning, insertion and removal; relative XPath; saving.
//
// A Node keeps its document alive (shared ownership), so session values that hold
// nodes (menu entry, validity node) stay valid until replaced. Removing a node frees
// it: other handles to that node must not be used afterwards. Loading into a
// document replaces its tree, which invalidates the nodes taken from it before.
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _xmlNode xmlNode;
typedef struct _xmlDoc xmlDoc;

namespace zevo::xml {

class Document;
using DocumentPtr = std::shared_ptr<Document>;

enum class LoadStatus { Ok, NotFound, ParseError };

// What a load did: a missing file is told apart from a file that is not
// well-formed or not valid; `reason` carries libxml2's message.
struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    std::string reason;
    bool ok() const { return status == LoadStatus::Ok; }
};

enum class Trust {
    // Installation files: internal DTD subset read so that IDs are declared; no
    // network, no external entities.
    Installed,
    // Anything a user picks or an exchange file: no DTD loading, no entity
    // substitution, no network, libxml2's default size limits.
    Untrusted,
};

class Node {
public:
    Node() = default;
    Node(std::shared_ptr<Document> doc, xmlNode* node) : doc_(std::move(doc)), node_(node) {}

    bool isNull() const { return node_ == nullptr; }
    explicit operator bool() const { return node_ != nullptr; }
    bool operator==(const Node& o) const { return node_ == o.node_; }

    bool isElement() const;
    std::string name() const;   // element name
    std::string text() const;   // concatenated text content

    bool hasAttribute(const std::string& name) const;
    std::optional<std::string> attribute(const std::string& name) const;
    // Creates the attribute when missing. Keeps the document's ID table right when
    // the attribute is an ID (also for copies made by cloneDeep).
    void setAttribute(const std::string& name, const std::string& value);
    std::vector<std::pair<std::string, std::string>> attributes() const;

    Node parent() const;        // null for the document element
    Node firstChildElement(const std::string& name = {}) const;
    Node nextSiblingElement(const std::string& name = {}) const;
    Node previousSiblingElement(const std::string& name = {}) const;
    std::vector<Node> childElements(const std::string& name = {}) const;
    int childElementCount() const;
    // Descendant elements with this name in document order ("*" = all).
    std::vector<Node> elementsByTagName(const std::string& name) const;
    // XPath relative to this node ("Item/Item", "Validity", ...).
    std::vector<Node> selectNodes(const std::string& xpath) const;
    Node selectSingleNode(const std::string& xpath) const;

    // Deep copy of this element, not yet in the tree (belongs to the same document).
    Node cloneDeep() const;
    // Tree edits; `child`/`node` must be unlinked (fresh clones) or are moved.
    void appendChild(const Node& child);
    void insertAfter(const Node& node);    // node becomes this one's next sibling
    void insertBefore(const Node& node);   // node becomes this one's previous sibling
    // Unlinks and frees this node (its IDs leave the document's ID table).
    void remove();

    const std::shared_ptr<Document>& document() const { return doc_; }
    xmlNode* raw() const { return node_; }

private:
    std::shared_ptr<Document> doc_;
    xmlNode* node_ = nullptr;
};

class Document : public std::enable_shared_from_this<Document> {
public:
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // An empty document (no root); loadFile/loadString fill it, as a DOM's load does.
    static DocumentPtr create();

    // Replace this document's content with the file's. On failure the document is
    // left empty and the result tells why.
    LoadResult loadFile(const std::string& path, Trust trust = Trust::Installed);
    LoadResult loadString(const std::string& xml, Trust trust = Trust::Untrusted);

    // Convenience: a new document from a file or text.
    static DocumentPtr fromFile(const std::string& path, LoadResult* result = nullptr,
                                Trust trust = Trust::Installed);
    static DocumentPtr fromString(const std::string& xml, LoadResult* result = nullptr,
                                  Trust trust = Trust::Untrusted);

    LoadResult lastLoad() const;   // the result of the last load (parse error reason)
    bool isEmpty() const;          // no document element

    Node documentElement() const;
    Node elementById(const std::string& id) const;
    std::vector<Node> elementsByTagName(const std::string& name) const;
    std::vector<Node> selectNodes(const std::string& xpath) const;   // from the document node
    Node selectSingleNode(const std::string& xpath) const;

    // Deep copy of the whole document (IDs registered in the copy).
    DocumentPtr clone() const;
    // Deep copy of an element of another document into this one, not yet in the
    // tree; its IDs are registered when it is inserted.
    Node importNode(const Node& node);

    // Serialised text (UTF-8, with the internal DTD subset).
    std::string toString() const;
    // Atomic save: temporary file in the same folder, flushed, renamed over the
    // target. Throws RuntimeError (70 permission denied, 76 path not found,
    // 61 disk full, 75 other I/O) and leaves the old file intact on failure.
    void save(const std::string& path) const;

    xmlDoc* raw() const { return doc_; }

private:
    friend class Node;
    Document() = default;
    LoadResult load(const std::string& bytes, const std::string& url, Trust trust);
    // Registers every unique ID value that is not in the ID table (after a removal
    // may have left a duplicate value without its registration).
    void repairIds() const;
    xmlDoc* doc_ = nullptr;
    LoadResult last_;
    mutable bool idsStale_ = false;
};

// Writes `bytes` to `path` atomically (temporary file, flush, fsync, rename).
// Shared by every saver (data files, "Session.dat", exchange files, workbooks).
// Throws RuntimeError with the numbers listed at Document::save.
void writeFileAtomically(const std::string& path, const std::string& bytes);

// Attribute access of the declaration documents, the menu and the ini files. New
// attributes are never made: new Cells and Cell elements are clones of existing
// ones and so already carry every attribute they may need.

// The named attribute's value; "" for a missing attribute or a node that is no
// element. Never fails.
std::string GetAttributeValue(const Node& node, const std::string& name);
// Changes an existing attribute; a missing attribute or node is left alone.
// Never fails.
void SetAttributeValue(const Node& node, const std::string& name, const std::string& value);

}  // namespace zevo::xml
