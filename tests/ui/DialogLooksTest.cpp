// Every dialog as a person sees it: each label and button shows its whole
// text in the dialog font at the template's size. With NODESCOUT_GRAB_DIR
// set, each dialog is also saved there as a PNG to look at.

#include "tests/support/UiTest.h"

#include "ui/AboutDlg.h"
#include "ui/AutoScanDlg.h"
#include "ui/ExportFormatDlg.h"
#include "ui/FindMacDlg.h"
#include "ui/InfoDlg.h"
#include "ui/IpInputDlg.h"
#include "ui/resource.h"

#include <QAbstractButton>
#include <QDir>
#include <QFontMetrics>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nodescout::ui_test {
namespace {

QString WithoutMnemonic(QString text) {
    return text.replace("&&", "\x01").remove('&').replace('\x01', '&');
}

// The room a button leaves for its label, as the style lays it out.
int LabelRoomOf(QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (dynamic_cast<QPushButton*>(&button)) {
        return button.style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, &button)
            .width();
    }
    const bool radio = dynamic_cast<QRadioButton*>(&button) != nullptr;
    return button.style()
        ->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                         &option, &button)
        .width();
}

// A control's size in pixels: dialog units at the dialog font's base units,
// 6 x 13 (the framework's own tests check them), rounded to the nearest.
CRect PixelBoxOf(const ControlTemplate& control) {
    return CRect{0, 0, (control.cx * 6 + 2) / 4, (control.cy * 13 + 4) / 8};
}

void ExpectWholeTexts(CDialog& open, const DialogTemplate& dialog) {
    const QFontMetrics metrics(open.GetQtWidget()->font());
    for (const ControlTemplate& control : dialog.controls) {
        const QString text = QString::fromUtf8(control.text);
        if (text.isEmpty()) {
            continue;
        }
        SCOPED_TRACE(std::string("\"") + control.text + "\"");
        const CRect rect = PixelBoxOf(control);
        if (control.kind == ControlClass::Static) {
            // Statics wrap at word boundaries: the text must fit the box.
            const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap |
                              ((control.style & SS_NOPREFIX) ? 0 : Qt::TextShowMnemonic);
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, rect.Width(), rect.Height()), flags, text);
            EXPECT_LE(needed.width(), rect.Width());
            EXPECT_LE(needed.height(), rect.Height());
        } else if (control.kind == ControlClass::Button) {
            auto* button = dynamic_cast<QAbstractButton*>(WidgetOf(open, control.id));
            ASSERT_NE(button, nullptr);
            EXPECT_LE(metrics.horizontalAdvance(WithoutMnemonic(text)), LabelRoomOf(*button));
            EXPECT_LE(metrics.height(), rect.Height());
        }
    }
}

using DialogLooksTest = UiTest;

// Each dialog the way its opener shows it; the main window and the range
// list by their templates alone.
std::vector<std::pair<UINT, std::function<std::unique_ptr<CDialog>()>>> Dialogs() {
    return {
        {IDD_ABOUTBOX, [] { return std::make_unique<CAboutDlg>(); }},
        {IDD_NODESCOUT_DIALOG, [] { return std::make_unique<CDialog>(IDD_NODESCOUT_DIALOG); }},
        {IDD_IPRANGE, [] { return std::make_unique<CDialog>(IDD_IPRANGE); }},
        {IDD_IPINPUT,
         [] {
             auto dialog = std::make_unique<CIpInputDlg>();
             dialog->m_strLabel = "IP Address";
             return dialog;
         }},
        {IDD_FINDMAC, [] { return std::make_unique<CFindMacDlg>(); }},
        {IDD_EXPORT_FORMAT, [] { return std::make_unique<CExportFormatDlg>(); }},
        {IDD_INFO, [] { return std::make_unique<CInfoDlg>(); }},
        {IDD_AUTOSCAN,
         [] {
             auto dialog = std::make_unique<CAutoScanDlg>();
             dialog->m_strInterval = "10";
             return dialog;
         }},
    };
}

TEST_F(DialogLooksTest, EveryLabelAndButtonShowsItsWholeText) {
    const char* grabDir = std::getenv("NODESCOUT_GRAB_DIR");
    for (const auto& [id, make] : Dialogs()) {
        SCOPED_TRACE("template " + std::to_string(id));
        const DialogTemplate* dialog = AfxFindDialogTemplate(id);
        ASSERT_NE(dialog, nullptr);
        const std::unique_ptr<CDialog> window = make();
        const auto templateId = id; // clang before 16 cannot capture a structured binding
        UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
            ExpectWholeTexts(open, *dialog);
            if (grabDir) {
                const QString path =
                    QDir(grabDir).filePath(QString("dialog-%1.png").arg(templateId));
                EXPECT_TRUE(open.GetQtWidget()->grab().save(path)) << path.toStdString();
            }
        });
        EXPECT_EQ(window->DoModal(), IDCANCEL);
    }
}

} // namespace
} // namespace nodescout::ui_test
