// DisplayMessage: catalogue look-up and hand-over to the thread's presenter.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SessionCatalogues.h"
#include "zevo/ScriptedMessagePresenter.h"

using namespace zevo;

namespace {

class DisplayMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        testing_support::loadMessages(
            "<Root><Other><M ID='0001' Msg='not a message'/></Other>"
            "<Message>"
            "<M ID='0001' Msg='Lưu tờ khai?'/>"
            "<M ID='0037' Msg='Mã số thuế không hợp lệ'/>"
            "<M ID='0037' Msg='second copy'/>"
            "<M ID='ab12' Msg='lower'/>"
            "<M Msg='no id'/>"
            "</Message></Root>");
        scripted = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(scripted);
    }
    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        clsVariables::resetSession();
    }
    std::shared_ptr<ScriptedMessagePresenter> scripted;
};

TEST_F(DisplayMessageTest, TextComesFromTheFirstMatchingIdOfTheMessageList) {
    scripted->push(mrYes);
    scripted->push(mrOK);
    scripted->push(mrCancel);
    EXPECT_EQ(clsMessageBox().DisplayMessage("0001", msYesNo, miQuestion, "Message", mrNo), mrYes);
    EXPECT_EQ(clsMessageBox().DisplayMessage("0037", msOKOnly, miCriticalError, "Message", 0), mrOK);
    EXPECT_EQ(clsMessageBox().DisplayMessage("AB12", msYesNoCancel, miWarning, "Message", mrCancel),
              mrCancel);

    ASSERT_EQ(scripted->shown().size(), 3u);
    const MessageRequest& first = scripted->shown()[0];
    EXPECT_EQ(first.id, "0001");
    EXPECT_EQ(first.text, "Lưu tờ khai?");
    EXPECT_EQ(first.style, msYesNo);
    EXPECT_EQ(first.icon, miQuestion);
    EXPECT_EQ(first.defaultButton, mrNo);
    EXPECT_EQ(scripted->shown()[1].text, "Mã số thuế không hợp lệ");
    EXPECT_EQ(scripted->shown()[1].icon, miCriticalError);
    // Ids compare case-sensitively.
    EXPECT_EQ(scripted->shown()[2].text, "");
    EXPECT_EQ(scripted->shownIds(), (std::vector<std::string>{"0001", "0037", "AB12"}));
}

TEST_F(DisplayMessageTest, UnknownOrMissingIdsShowAnEmptyText) {
    clsMessageBox().DisplayMessage("9999", msOKOnly, miInformation, "Message", 0);
    clsMessageBox().DisplayMessage("", msOKOnly, miInformation, "Message", 0);
    clsVariables::resetSession();   // no catalogue loaded at all
    clsMessageBox().DisplayMessage("0001", msOKCancel, miInformation, "Message", 0);
    ASSERT_EQ(scripted->shown().size(), 3u);
    for (const auto& r : scripted->shown()) EXPECT_EQ(r.text, "") << r.id;
    EXPECT_EQ(messageText("0037"), "");
}

TEST_F(DisplayMessageTest, AnsweredAfterTheScriptRunsOutAndPresenterFailuresGiveZero) {
    EXPECT_EQ(clsMessageBox().DisplayMessage("0001", msYesNo, miQuestion, "Message", mrYes), 0);

    struct Failing : MessagePresenter {
        int present(const MessageRequest&) override { throw std::runtime_error("gone"); }
    };
    clsMessageBox::setPresenter(std::make_shared<Failing>());
    EXPECT_EQ(clsMessageBox().DisplayMessage("0001", msYesNo, miQuestion, "Message", mrYes), 0);
}

TEST(DisplayMessageWithoutApplication, DefaultPresenterAnswersZeroInsteadOfAborting) {
    clsMessageBox::setPresenter(nullptr);
    EXPECT_EQ(clsMessageBox().DisplayMessage("0001", msOKOnly, miInformation, "Message", 0), 0);
}

}  // namespace
