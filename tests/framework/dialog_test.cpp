// The dialog base: message tables, results, data exchange both ways and ending the dialog.
#include <gtest/gtest.h>

#include "framework/Button.h"
#include "framework/Dialog.h"
#include "framework/EditControl.h"

namespace {
constexpr UINT kMsgAnswer = WM_USER + 5;

class ExchangeDialog : public Dialog {
public:
    ExchangeDialog() : Dialog(200, nullptr) {}

    std::string m_text = "from member";
    std::string m_seenInControl;
    int m_presses = 0;
    LRESULT m_answerResult = 0;
    LRESULT m_dragIcon = 0;
    bool m_missingControlFails = false;

protected:
    BOOL OnInitDialog() override {
        Dialog::OnInitDialog();
        m_seenInControl = m_edit.GetText();
        m_edit.SetText("typed by user");
        SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(202, BN_CLICKED), 0);
        SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(202, BN_DOUBLECLICKED), 0); // not mapped
        m_answerResult = SendMessageA(Handle(), kMsgAnswer, 20, 22);
        m_dragIcon = SendMessageA(Handle(), WM_QUERYDRAGICON, 0, 0);
        PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    void DoDataExchange(DataExchange& dx) override {
        dx.Control(201, m_edit);
        dx.Control(202, m_press);
        dx.Text(201, m_text);
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnPress() { ++m_presses; }
    LRESULT OnAnswer(WPARAM a, LPARAM b) { return static_cast<LRESULT>(a + b); }
    LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return 0x1234; }

    static const MessageEntry<ExchangeDialog> kMap[];
    EditControl m_edit;
    Button m_press;
};

const MessageEntry<ExchangeDialog> ExchangeDialog::kMap[] = {
    {BN_CLICKED, 202, &ExchangeDialog::OnPress},
    {kMsgAnswer, &ExchangeDialog::OnAnswer},
    {WM_QUERYDRAGICON, &ExchangeDialog::OnQueryDragIcon},
};

bool ExchangeDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageMap(*this, kMap, message, wParam, lParam, result);
}
} // namespace

TEST(Dialog, DispatchesItsTableAndExchangesDataBothWays) {
    ExchangeDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_seenInControl, "from member");
    EXPECT_EQ(dialog.m_text, "typed by user"); // OK took the text back
    EXPECT_EQ(dialog.m_presses, 1);
    EXPECT_EQ(dialog.m_answerResult, 42);
    // The dialog manager reads this one from the procedure's return value.
    EXPECT_EQ(dialog.m_dragIcon, 0x1234);
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(Dialog, MissingTemplateFailsWithoutAWindow) {
    class Missing : public Dialog {
    public:
        Missing() : Dialog(999, nullptr) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
}
