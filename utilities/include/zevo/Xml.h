#pragma once
// Thin C++ layer over libxml2 for the declaration documents, menu, ini files and
// catalogues: documents with DTD-declared IDs, ID look-up that stays right after
// attribute writes, cloning, insertion and removal; relative XPath; saving.
//
// A Node keeps its document alive (shared ownership), so session values that hold
// nodes (menu entry, validity node) stay valid until replaced. Removing a node frees
// it: other handles to that node must not be used afterwards. Loading into a
// document replaces its tree, which invalidates the nodes taken from it before.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct _xmlNode xmlNode;
typedef struct _xmlDoc xmlDoc;
typedef struct _xmlAttr xmlAttr;

namespace zevo::xml {

class Document;

namespace detail {
// An ID attribute given a value, as the ID table's book-keeping sees it.
struct IdChange {
    bool ownedBlank = false;   // the value it owned had blanks (the table normalises them)
    bool leftValue = false;    // it owned a value and now carries another
    bool newBlank = false;     // the new value has blanks
    bool lost = false;         // the new value belongs to another element
};
}  // namespace detail
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

enum class Validation {
    None,
    // The document must carry an internal DTD subset and keep to it: without one,
    // or with one broken (two Cells of one "CellID", an undeclared element or
    // attribute), the load fails as a parse error. Sheet documents and ini files.
    InternalSubset,
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

// Receives a file's bytes piece by piece; false once writing failed (errno says why).
using ByteWriter = std::function<bool(const char* data, std::size_t size)>;

class Document : public std::enable_shared_from_this<Document> {
public:
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // An empty document (no root); loadFile/loadString fill it, as a DOM's load does.
    static DocumentPtr create();

    // Replace this document's content with the file's. On failure the document is
    // left empty and the result tells why.
    LoadResult loadFile(const std::string& path, Trust trust = Trust::Installed,
                        Validation validation = Validation::None);
    LoadResult loadString(const std::string& xml, Trust trust = Trust::Untrusted,
                          Validation validation = Validation::None);

    // Convenience: a new document from a file or text.
    static DocumentPtr fromFile(const std::string& path, LoadResult* result = nullptr,
                                Trust trust = Trust::Installed);
    static DocumentPtr fromString(const std::string& xml, LoadResult* result = nullptr,
                                  Trust trust = Trust::Untrusted);

    LoadResult lastLoad() const;   // the result of the last load (parse error reason)
    bool isEmpty() const;          // no document element

    Node documentElement() const;
    // True when the document's DTD declares `attribute` an ID of `element`: only
    // then can elementById find such elements.
    bool declaresId(const std::string& element, const std::string& attribute) const;
    Node elementById(const std::string& id) const;
    std::vector<Node> elementsByTagName(const std::string& name) const;
    std::vector<Node> selectNodes(const std::string& xpath) const;   // from the document node
    Node selectSingleNode(const std::string& xpath) const;

    // Deep copy of the whole document (IDs registered in the copy).
    DocumentPtr clone() const;

    // Bulk editing, for building a large document that is then saved (an import of
    // thousands of rows): the ID attributes are plain text while it lasts, with no
    // ID table to keep up; libxml2 2.9's table makes 10^5 registrations cost
    // seconds. Saving and toString write the DTD as it was. The first elementById
    // (or clone) ends bulk editing and registers every ID again.
    void beginBulkEdit();
    // A deep copy in bulk editing, made without registering the copy's IDs.
    DocumentPtr cloneForBulkEdit() const;
    // Deep copy of an element of another document into this one, not yet in the
    // tree; its IDs are registered when it is inserted.
    Node importNode(const Node& node);

    // Serialised text (UTF-8, with the internal DTD subset).
    std::string toString() const;
    // The same text handed to `write` as it is serialised, never held whole: the
    // data file of a large declaration is tens of megabytes, and its text (with the
    // spare room of a growing buffer) beside the tree would raise the peak by that much.
    void writeTo(const ByteWriter& write) const;
    // Atomic save: temporary file in the same folder, flushed, renamed over the
    // target. Throws RuntimeError (70 permission denied, 76 path not found,
    // 61 disk full, 75 other I/O) and leaves the old file intact on failure.
    void save(const std::string& path) const;

    xmlDoc* raw() const { return doc_; }

private:
    friend class Node;
    friend class AttributeWrites;
    Document() = default;
    // Parses what `parse` reads (given the parser context and options) into this
    // document; `size` is the length of the text, known beforehand.
    LoadResult load(std::size_t size, const std::function<xmlDoc*(void*, int)>& parse,
                    const std::string& url, Trust trust, Validation validation);
    // The ID table is an invariant of this layer: every declared ID value that an
    // element in the tree carries is found, on an element carrying it, and a value
    // nothing carries finds nothing. Renames keep the table right in place; the
    // rare edits that cannot (a removal, a value the table normalises, an owner
    // leaving a value another element also holds) mark it stale, and the next
    // look-up makes it anew from the tree.
    void repairIds() const;
    void endBulkEdit() const;
    // Runs f with the DTD's ID declarations in force (they read CDATA while bulk editing).
    template <class F>
    auto withIdDeclarations(F f) const;
    // Book-keeping after an ID attribute was given a value.
    void noteIdChange(const detail::IdChange& change);
    xmlDoc* doc_ = nullptr;
    mutable std::vector<void*> bulkDeclarations_;   // ID declarations read as CDATA
    mutable bool bulk_ = false;
    LoadResult last_;
    mutable bool idsStale_ = false;
    // Some element holds a declared ID value that another element owns.
    mutable bool idsShadowed_ = false;
};

// Grows with every change this layer makes to the content of any document (a
// load, an attribute write, an insertion or removal). The same figure twice means
// no document changed in between; callers compare it to skip work, such as
// writing out a long list again to see whether it changed.
std::uint64_t contentRevision();

// Values written into many attributes of one document's elements, with the result
// setAttribute gives writing them one by one in the same order. Row shifting
// renumbers hundreds of thousands of identifiers; one by one, each would move its
// ID table entry from one key to another. Here, as long as the writes are the
// plain case of renumbering (each attribute one text node, an ID owning its
// value, no blanks in old or new IDs, a new ID value free or left by an
// attribute written before), a value handed on from one attribute to another
// keeps its attribute and table entry: that attribute takes the other's place in
// its element. Anything else is written one by one, the batch so far undone and
// written again that way.
class AttributeWrites {
public:
    explicit AttributeWrites(DocumentPtr document);
    ~AttributeWrites();   // finishes
    AttributeWrites(const AttributeWrites&) = delete;
    AttributeWrites& operator=(const AttributeWrites&) = delete;

    // `attribute` belongs to an element of the document; it may be in the place
    // of another attribute of the same name by the end.
    void write(xmlAttr* attribute, const std::string& value);
    // Ends the writes: true when they went as one batch, false one by one.
    bool finish();

private:
    struct Step {
        xmlAttr* attribute;    // an ID attribute written
        xmlAttr* with;         // what took its place: the holder of its new value, or a new attribute
        bool fresh = false;    // `with` is new: the value was nobody's
        bool handsOn = false;  // its old value went to a later write
    };
    bool batched(xmlAttr* attribute, const std::string& value);
    void fallBack();
    void oneByOne(xmlAttr* attribute, const std::string& value);

    DocumentPtr doc_;
    std::vector<Step> steps_;
    struct Declared {
        const void* element;
        const void* attribute;
        bool id;
    };
    std::vector<Declared> declared_;
    std::size_t distance_ = 0;
    bool batch_ = true;
    bool changed_ = false;
    bool finished_ = false;
};

// Writes `bytes` to `path` atomically (temporary file, flush, fsync, rename).
// Shared by every saver (data files, "Session.dat", exchange files, workbooks).
// Throws RuntimeError with the numbers listed at Document::save.
void writeFileAtomically(const std::string& path, const std::string& bytes);
// The same for bytes that `produce` hands to its writer piece by piece.
void writeFileAtomically(const std::string& path, const std::function<void(const ByteWriter&)>& produce);

// Attribute access of the declaration documents, the menu and the ini files. New
// attributes are never made: new Cells and Cell elements are clones of existing
// ones and so already carry every attribute they may need.

// The named attribute's value; "" for a missing attribute or a node that is no
// element. Never fails.
std::string GetAttributeValue(const Node& node, const std::string& name);
// Changes an existing attribute; a missing attribute or node is left alone.
// Never fails.
void SetAttributeValue(const Node& node, const std::string& name, const std::string& value);

// The value of an attribute of a raw element, read in place when it is one text
// node (as parsed and rewritten values are), else copied into `scratch`; "" when
// missing. For walks over the hundreds of thousands of cells of a long list.
std::string_view attributeText(const xmlNode* element, const char* name, std::string& scratch);
// The same for an attribute already found.
std::string_view attributeText(const xmlAttr* attribute, std::string& scratch);

// Replaces several files together: add() writes and flushes each new content to a
// temporary file beside its target; commit() then renames them all over their
// targets. A failing add() leaves every target as it was; temporaries not
// committed are removed when the object goes. Errors as writeFileAtomically's.
// All or nothing even when the process dies: before the first rename, commit()
// makes a durable commit record (kCommitRecord, in the first target's folder)
// naming every temporary and its target, and removes it after the last rename;
// recoverStagedFiles() at the next start finishes an interrupted commit.
class StagedFiles {
public:
    StagedFiles() = default;
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    void add(const std::string& path, const std::string& bytes);
    // The document's serialised text, written as it is made.
    void add(const std::string& path, const Document& document);
    // Several documents at once, each written on a thread of its own (the second
    // list of a large declaration takes most of a save). On failure nothing of
    // this call stays staged and the error of the first failing document, in
    // the given order, is thrown.
    void add(const std::vector<std::pair<std::string, const Document*>>& documents);
    void commit();

private:
    std::vector<std::pair<std::string, std::string>> staged_;   // temporary, target
};

inline constexpr const char* kCommitRecord = ".zevo-save.commit";

// Start-up of a folder that holds staged saves: a commit record found there rolls
// its renames forward (the new set of files wins), then temporaries of ours that
// no commit names (a save killed before its record) are removed. Returns the
// number of files rolled forward. Failures are RuntimeErrors.
int recoverStagedFiles(const std::string& folder);

}  // namespace zevo::xml
