// "Session.dat": exact bytes, record search, counters and damaged files.
#include "DocumentsTestSupport.h"
#include "zevo/clsLZWCompress.h"
#include "zevo/documents/SessionFile.h"

using namespace zevo;
using namespace zevo::documents;

namespace {

class SessionFile : public zevo::test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        path = file("Session.dat");
        sessionCounters() = {};
        selectMenu("100_7", "Year=\"0\"");
    }
    void selectMenu(const std::string& id, const std::string& attributes) {
        menuDoc = xml::Document::fromString("<Root><Menu ID=\"" + id + "\" " + attributes +
                                            "/></Root>");
        clsVariables().NodeMenu(menuDoc->documentElement().firstChildElement());
    }
    void writeSession(const std::string& text) { writeSessionText(path, text); }

    std::string path;
    xml::DocumentPtr menuDoc;
};

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

}  // namespace

TEST_F(SessionFile, NewRecordIsWrittenWithTheExactLayout) {
    // Codes of "100_7::0:0": 49 48 48 95 55 58 58 48 262, packed two in three bytes.
    const std::string expected = bytes({0x0E, 0x00, 0x00, 0x00,                       //
                                        0x03, 0x10, 0x03, 0x03, 0x0F, 0x05, 0x03, 0x7A,  //
                                        0x03, 0x03, 0xA0, 0x03, 0x10, 0x60});
    sessionCounters() = {7, 8};
    ASSERT_TRUE(LoadSessionValueFromFile(path));   // no file yet: an empty session
    EXPECT_EQ(read(path), expected);
    EXPECT_EQ(sessionCounters().first, 0);
    EXPECT_EQ(sessionCounters().second, 0);

    write(path, "");   // zero bytes
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(read(path), expected);

    write(path, bytes({0, 0, 0, 0, 0x55, 0x66}));   // N = 0, trailing bytes ignored
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(read(path), expected);
    EXPECT_TRUE(presenter->shown().empty());
}

TEST_F(SessionFile, EmptyTextReadsBackEmpty) {
    writeSession("");
    EXPECT_EQ(read(path), bytes({0, 0, 0, 0}));
    EXPECT_EQ(readSessionText(path), "");
}

TEST_F(SessionFile, CountersOfTheOpenDeclarationAreReadAndWritten) {
    writeSession("100_7::3:5:100_1::0:0");
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(sessionCounters().first, 3);
    EXPECT_EQ(sessionCounters().second, 5);
    EXPECT_EQ(readSessionText(path), "100_7::3:5:100_1::0:0");   // found: not rewritten

    sessionCounters().increment();
    ASSERT_TRUE(SaveSessionValueToFile(path, true, false));   // printing: second only
    EXPECT_EQ(readSessionText(path), "100_7::3:6:100_1::0:0");
    ASSERT_TRUE(SaveSessionValueToFile(path, true, true));
    EXPECT_EQ(readSessionText(path), "100_7::4:6:100_1::0:0");

    // The other declaration's record is matched by both ID and period key.
    selectMenu("100_1", "Year=\"0\"");
    sessionCounters() = {};
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(sessionCounters().first, 0);
    EXPECT_EQ(readSessionText(path), "100_7::4:6:100_1::0:0");
}

TEST_F(SessionFile, PeriodicDeclarationsHaveOneRecordPerPeriod) {
    clsVariables session;
    session.Year("2009");
    session.Month("3");
    selectMenu("100_2", "Year=\"1\" Month=\"1\"");
    writeSession("100_2:02/2009:9:9");
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(readSessionText(path), "100_2:02/2009:9:9:100_2:03/2009:0:0");
    sessionCounters() = {1, 2};
    ASSERT_TRUE(SaveSessionValueToFile(path, true, true));
    EXPECT_EQ(readSessionText(path), "100_2:02/2009:9:9:100_2:03/2009:1:2");

    // Without a record, saving writes the text back unchanged.
    session.Month("4");
    ASSERT_TRUE(SaveSessionValueToFile(path, true, true));
    EXPECT_EQ(readSessionText(path), "100_2:02/2009:9:9:100_2:03/2009:1:2");
}

TEST_F(SessionFile, CountersWrapAfter999) {
    SessionCounters c{998, 999};
    c.increment();
    EXPECT_EQ(c.first, 999);
    EXPECT_EQ(c.second, 0);
    c.increment();
    EXPECT_EQ(c.first, 0);
    EXPECT_EQ(c.second, 1);
}

TEST_F(SessionFile, DamagedFilesAreReportedAndChangeNothing) {
    const std::string damaged[] = {
        bytes({0xE8, 0x03, 0x00, 0x00, 0x03, 0x10}),   // N = 1000 in a 6-byte file
        bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x10}),   // N = -1
        bytes({0x00, 0x00, 0x00, 0x80}),               // N = INT32_MIN
        bytes({0x02, 0x00}),                           // no complete length
        bytes({0x02, 0x00, 0x00, 0x00, 0x70, 0x00}),   // first code undefined
    };
    sessionCounters() = {3, 4};
    for (const std::string& content : damaged) {
        write(path, content);
        presenter->clear();
        EXPECT_FALSE(LoadSessionValueFromFile(path));
        ASSERT_EQ(presenter->shown().size(), 1u);
        const MessageRequest& shown = presenter->shown().front();
        // The message names the file and offers to set it aside; declined here.
        EXPECT_EQ(shown.id, "0125");
        EXPECT_NE(shown.text.find(path), std::string::npos) << shown.text;
        EXPECT_NE(shown.text.find("Backup"), std::string::npos) << shown.text;
        EXPECT_EQ(shown.style, msYesNo);
        EXPECT_EQ(shown.icon, miCriticalError);
        EXPECT_EQ(shown.defaultButton, mrNo);
        EXPECT_EQ(sessionCounters().first, 3);
        EXPECT_EQ(sessionCounters().second, 4);
        EXPECT_EQ(read(path), content);   // not overwritten

        presenter->clear();
        EXPECT_FALSE(SaveSessionValueToFile(path, true, true));
        EXPECT_TRUE(presenter->shown().empty());
        EXPECT_EQ(read(path), content);
    }
    EXPECT_NE(log().find("mdlFunctions LoadSessionValueFromFile"), std::string::npos);
    EXPECT_NE(log().find("mdlFunctions SaveSessionValueToFile"), std::string::npos);
}

TEST_F(SessionFile, TrailingBytesTextFilesAndBombsAreDamage) {
    const std::string good = [&] {
        writeSession("100_7::3:5");
        return read(path);
    }();
    // A compressed stream of repeated bytes: a few KB that decode to far more
    // session text than we ever write.
    const std::string bomb = clsLZWCompress().Compress(std::string(64u << 20, '0'));
    std::string bombFile;
    for (int shift = 0; shift < 32; shift += 8)
        bombFile.push_back(static_cast<char>((bomb.size() >> shift) & 0xFF));
    bombFile += bomb;
    const std::string damaged[] = {
        good + "garbage",
        "100_7::3:5:100_1::0:0\r\n",
        bombFile,
    };
    sessionCounters() = {3, 4};
    for (const std::string& content : damaged) {
        write(path, content);
        presenter->clear();
        EXPECT_FALSE(LoadSessionValueFromFile(path)) << content.size();
        ASSERT_EQ(presenter->shown().size(), 1u);
        EXPECT_EQ(presenter->shown().front().id, "0125");
        EXPECT_EQ(read(path), content);
        EXPECT_EQ(sessionCounters().first, 3);
    }
}

TEST_F(SessionFile, ADamagedFileCanBeSetAsideForAFreshSession) {
    const std::string content = bytes({0xE8, 0x03, 0x00, 0x00, 0x03, 0x10});
    write(path, content);
    sessionCounters() = {3, 4};
    presenter->push(mrYes);
    ASSERT_TRUE(LoadSessionValueFromFile(path));
    EXPECT_EQ(sessionCounters().first, 0);
    EXPECT_EQ(sessionCounters().second, 0);
    EXPECT_EQ(readSessionText(path), "100_7::0:0");
    // The damaged file is kept in Backup, named in the message.
    std::vector<std::filesystem::path> kept;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path() / "Backup"))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(read(kept[0].string()), content);
    ASSERT_EQ(presenter->shown().size(), 1u);
}

TEST_F(SessionFile, NonNumericCounterIsAnError) {
    writeSession("100_7::x:5");
    sessionCounters() = {1, 1};
    EXPECT_FALSE(LoadSessionValueFromFile(path));
    EXPECT_EQ(sessionCounters().first, 1);
    EXPECT_NE(log().find("13 : "), std::string::npos);

    writeSession("100_7::3");   // record cut short
    const std::string cut = read(path);
    EXPECT_FALSE(LoadSessionValueFromFile(path));
    EXPECT_FALSE(SaveSessionValueToFile(path, true, true));
    EXPECT_EQ(read(path), cut);

    // A folder where the file should be is unreadable, not an empty session.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(LoadSessionValueFromFile(path));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}
