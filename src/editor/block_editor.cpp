#include "editor/block_editor.h"

#include "editor/block_text_edit.h"
#include "editor/clipboard_text.h"
#include "editor/colour_letters.h"
#include "editor/markup_painter.h"
#include "editor/paint_box.h"
#include "editor/preview_layout.h"
#include "model/block.h"
#include "model/ui/block_words.h"
#include "model/ui/screen_colour.h"
#include "model/ui/text_codec.h"
#include "widgets/modal_result.h"
#include "widgets/window_placement.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

namespace {

// The dialog's font: "MS Sans Serif" or a sans face of the same pixel size.
QFont sansFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// The preview's font: "Terminal" or a fixed-pitch face of about 16 pixels.
QFont previewFont() {
    QFont font;
    font.setFamilies({"Terminal", "Liberation Mono", "DejaVu Sans Mono"});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

QPushButton* codeButton(QWidget* parent, const char* name, const QString& caption, int top,
                        bool bold, const QColor& colour) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(232, top, 145, 33);
    button->setFont(sansFont(16, bold));
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, colour);
    button->setPalette(pal);
    return button;
}

} // namespace

TBEDlg::TBEDlg(TBlock& editBlock, QWidget* parent)
    : QDialog(parent)
    , editBlock_(editBlock) {
    setObjectName("BEDlg");
    setWindowTitle(tr("Block Editor"));
    // A fixed dialog frame: a title and a close box, no resizing, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(385, 342);
    centreWhenShown(this, TCentring::EveryShow);
    setFont(sansFont(11, true));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    Clipboard = [] { return QGuiApplication::clipboard(); };

    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(16, 308, 77, 27);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(300, 308, 77, 27);

    Label1 = new QLabel(tr("Message will look like: (flashing characters are underlined)"), this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(16, 8, 334, 13);

    CheckBox1 = new QCheckBox(tr("Centered"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(16, 96, 89, 17);

    Label3 = new QLabel(tr("Text:"), this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(16, 256, 30, 13);

    Edit1 = new TBlockTextEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 280, 361, 21);
    Edit1->setMaxLength(kTypedLimit);
    // The label names the text box for a screen reader.
    Label3->setBuddy(Edit1);

    BitBtn1 = codeButton(this, "BitBtn1", tr("Toggle &Flash"), 96, false, Qt::black);
    // The colour buttons' captions are in the colours the preview shows.
    const auto shown = [](TSignColour colour) {
        return screenColour(colour, TColourScheme::PreviewOnWhite);
    };
    BitBtn2 = codeButton(this, "BitBtn2", tr("Set &Red Color"), 136, true, shown(TSignColour::Red));
    BitBtn3 =
        codeButton(this, "BitBtn3", tr("Set &Green Color"), 176, true, shown(TSignColour::Green));
    BitBtn4 =
        codeButton(this, "BitBtn4", tr("Set &Yellow Color"), 216, true, shown(TSignColour::Yellow));

    PaintBox1 = new TPaintBox(this);
    PaintBox1->setObjectName("PaintBox1");
    PaintBox1->setGeometry(16, 24, 361, 57);
    PaintBox1->setFont(previewFont());
    PaintBox1->SetOnPaint([this](QPainter& painter) { PaintBox1Paint(painter); });
    // The preview in words for a screen reader, kept with the text (Edit1Change).
    PaintBox1->setAccessibleName(tr("Message will look like"));

    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(16, 82, 361, 13);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Only the buttons, the check box and the text box take the focus, in this order.
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, CheckBox1);
    setTabOrder(CheckBox1, Edit1);
    setTabOrder(Edit1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);

    connect(OKBtn, &QPushButton::clicked, this, &TBEDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, &TBEDlg::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TBEDlg::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TBEDlg::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TBEDlg::BitBtn4Click);
    connect(Edit1, &QLineEdit::textChanged, this, &TBEDlg::Edit1Change);
}

int TBEDlg::ShowModal() {
    return modalResultOf(exec());
}

void TBEDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormActivate();
}

void TBEDlg::FormActivate() {
    // The limit of 250 bounds what the user types, never what is loaded: a longer stored text
    // (up to 255 characters) is kept whole, and may not grow beyond its own length.
    Edit1->setMaxLength(std::max<int>(kTypedLimit, static_cast<int>(editBlock_.Text.size())));
    Edit1->setText(toQString(editBlock_.Text));
    loadedText_ = Edit1->text();
    CheckBox1->setChecked(editBlock_.Centered);
    PaintBox1->setAccessibleDescription(blockTextInWords(editBlock_.Text));
    // Also when the text is the same as last time: the sign's width may have changed.
    UpdateCount();
    Edit1->setFocus();
    Edit1->deselect();
}

void TBEDlg::BitBtn1Click() {
    InsertCode("^F^");
}

void TBEDlg::BitBtn2Click() {
    InsertCode("^R^");
}

void TBEDlg::BitBtn3Click() {
    InsertCode("^G^");
}

void TBEDlg::BitBtn4Click() {
    InsertCode("^Y^");
}

void TBEDlg::InsertCode(const QString& code) {
    QClipboard* clipboard = Clipboard ? Clipboard() : nullptr;
    QString pasted;
    {
        // What the user had on the clipboard is put back once the code has been taken from it.
        const TClipboardKeeper keeper(clipboard);
        putClipboardText(clipboard, code);
        pasted = clipboardText(clipboard);
    }
    // The pasted code replaces the selection or goes in at the caret. A code that does not fit
    // whole under the limit is not put in at all: a cut-off code would show as text.
    const qsizetype kept = Edit1->text().size() - Edit1->selectedText().size();
    if (kept + pasted.size() <= Edit1->maxLength())
        Edit1->insert(pasted);
    else
        QApplication::beep();
    Edit1->setFocus(Qt::OtherFocusReason);
    update();
    PaintBox1->update();
}

void TBEDlg::Edit1Change() {
    PaintBox1->update();
    PaintBox1->setAccessibleDescription(blockTextInWords(toBytesLossy(Edit1->text())));
    UpdateCount();
}

void TBEDlg::UpdateCount() {
    const int columns = SignColumns ? SignColumns() : 0;
    if (columns <= 0) {
        Label2->clear();
        return;
    }
    std::string plain;
    TColourArray colours{};
    TFlashArray flash{};
    ExpandMarkup(toBytesLossy(Edit1->text()), plain, colours, flash);
    Label2->setText(tr("%1 of %2 characters").arg(plain.size()).arg(columns));
    QPalette pal = palette();
    if (plain.size() > static_cast<std::size_t>(columns))
        pal.setColor(QPalette::WindowText, overflowMarkColour().darker(150));
    Label2->setPalette(pal);
}

void TBEDlg::PaintBox1Paint(QPainter& painter) {
    std::string plain;
    TColourArray colours{};
    TFlashArray flash{};
    ExpandMarkup(toBytesLossy(Edit1->text()), plain, colours, flash);

    // The drawing rectangle ends one pixel short of the box's right and bottom edges.
    const QRect area(0, 0, PaintBox1->width() - 1, PaintBox1->height() - 1);
    painter.fillRect(area, Qt::white);
    if (plain.empty())
        return;
    painter.setClipRect(area);

    const TMarkupPainter markup(previewFont(), TColourScheme::PreviewOnWhite, PaintBox1);
    const QString characters = toQString(plain);
    std::vector<TPreviewGlyph> glyphs;
    glyphs.reserve(static_cast<std::size_t>(characters.size()));
    // With colour letters, the first character of each run carries its run's mark before it.
    const bool letters = colourLettersShown();
    const auto runStart = [&](std::size_t i) {
        return letters && (i == 0 || colours[i] != colours[i - 1] || flash[i] != flash[i - 1]);
    };
    std::vector<int> markWidths(static_cast<std::size_t>(characters.size()), 0);
    for (qsizetype k = 0; k < characters.size(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QFontMetrics& metrics = markup.metrics(flash[i]);
        if (runStart(i))
            markWidths[i] =
                colourLetterAdvance(markup.font(TFlash::Steady), colours[i], flash[i], PaintBox1);
        glyphs.push_back({markWidths[i] + metrics.horizontalAdvance(characters[k]),
                          metrics.horizontalAdvance(QLatin1Char('W')), metrics.height()});
    }
    const std::vector<QPoint> positions = layoutPreview(glyphs, area.right() + 1);

    for (qsizetype k = 0; k < characters.size(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (positions[i].y() > area.bottom())
            break; // every later character is below the box
        if (markWidths[i] > 0)
            drawColourLetter(painter, markup.font(TFlash::Steady), colours[i], flash[i],
                             positions[i], Qt::black);
        markup.drawChar(painter, characters[k], colours[i], flash[i],
                        positions[i] + QPoint(markWidths[i], 0));
    }
}

bool TBEDlg::ConfirmShortening(qsizetype length) {
    const auto kept = static_cast<qsizetype>(kMaxBlockText);
    QMessageBox box(QMessageBox::Warning, tr("Warning"),
                    tr("The text is %1 characters long, and a block keeps at most %2.\n"
                       "OK shortens it to %2 characters: the last %3 are cut off.")
                        .arg(length)
                        .arg(kept)
                        .arg(length - kept),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void TBEDlg::OKBtnClick() {
    QString text = Edit1->text();
    // A block keeps at most 255 characters. A longer text that was loaded and left as it was
    // stays whole; an edited one is shortened only when the user agrees.
    if (text.size() > static_cast<qsizetype>(kMaxBlockText) && text != loadedText_) {
        if (!ConfirmShortening(text.size()))
            return;
        text.truncate(static_cast<qsizetype>(kMaxBlockText));
    }
    editBlock_.Text = toBytesLossy(text);
    editBlock_.Centered = CheckBox1->isChecked();
    accept();
}
