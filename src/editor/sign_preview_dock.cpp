#include "editor/sign_preview_dock.h"

#include "model/ui/block_words.h"
#include "sign/message_fit.h"
#include "signview/sign_board.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>

namespace {

// The nouns are marked where they are written and translated here.
QString noun(const char* text) {
    return QCoreApplication::translate("TSignPreviewDock", text);
}

QString count(std::size_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(noun(n == 1 ? one : many));
}

// A count of the sign's size, "?" while it is not known.
QString known(int n, const char* one, const char* many) {
    return n > 0 ? count(static_cast<std::size_t>(n), one, many)
                 : QStringLiteral("? %1").arg(noun(many));
}

} // namespace

TSignPreviewDock::TSignPreviewDock(QWidget* parent)
    : QDockWidget(tr("Sign Preview"), parent) {
    setObjectName(QStringLiteral("SignPreviewDock"));
    auto* content = new QWidget(this);
    Board = new TSignBoard(content);
    Board->setObjectName(QStringLiteral("SignBoard"));
    Board->setMinimumPitch(kMinimumPitch);
    Board->setAccessibleName(tr("Sign Preview"));
    Board->setMouseTracking(true);
    Board->installEventFilter(this);
    BoardArea = new QScrollArea(content);
    BoardArea->setWidget(Board);
    BoardArea->setWidgetResizable(true);
    BoardArea->setFrameShape(QFrame::NoFrame);
    BoardArea->setAlignment(Qt::AlignCenter);
    QPalette dark = BoardArea->palette();
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    BoardArea->setPalette(dark);
    BoardArea->setBackgroundRole(QPalette::Window);
    Status = new QLabel(content);
    Status->setObjectName(QStringLiteral("SignPreviewStatus"));
    Status->setTextFormat(Qt::PlainText);
    // A narrow panel wraps the line rather than grow.
    Status->setWordWrap(true);
    ShowFieldValues = new QCheckBox(tr("Show Fiel&d Values"), content);
    ShowFieldValues->setObjectName(QStringLiteral("ShowFieldValues"));
    ShowFieldValues->setToolTip(
        tr("Show {time:...}, {date:...} and {file:...} with their values now, as a schedule "
           "or lumavane-send --fields sends them"));
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(BoardArea, 1);
    auto* foot = new QHBoxLayout;
    foot->addWidget(Status, 1);
    foot->addWidget(ShowFieldValues, 0, Qt::AlignTop);
    layout->addLayout(foot);
    setWidget(content);
}

void TSignPreviewDock::ShowPreview(const TPreviewView& preview, int start, int width,
                                   const QString& note) {
    Board->setFace(preview.face);
    // A line of the sign that shows bytes of a block with a control byte is marked, and says
    // which byte; the status line's tooltip lists every such block.
    std::vector<QString> notes;
    notes.reserve(preview.lineNotes.size());
    for (const std::string& line : preview.lineNotes)
        notes.push_back(QString::fromStdString(line));
    Board->setLineNotes(std::move(notes));
    QStringList warnings;
    for (const std::string& warning : preview.warnings)
        warnings << QString::fromStdString(warning);
    Status->setToolTip(warnings.join(QLatin1Char('\n')));
    QString text = tr("Start line %1, width %2").arg(start).arg(width);
    if (preview.size.lines > 0 || preview.size.columns > 0) {
        text +=
            tr("  |  Sign: %1 of %2")
                .arg(known(preview.size.lines, QT_TRANSLATE_NOOP("TSignPreviewDock", "line"),
                           QT_TRANSLATE_NOOP("TSignPreviewDock", "lines")),
                     known(preview.size.columns, QT_TRANSLATE_NOOP("TSignPreviewDock", "character"),
                           QT_TRANSLATE_NOOP("TSignPreviewDock", "characters")));
    } else {
        text += tr("  |  Sign size not set (Send > Configuration)");
    }
    const std::size_t cut = preview.totals.cut;
    const std::size_t hidden = preview.totals.hidden;
    if (cut > 0 || hidden > 0) {
        QStringList parts;
        if (cut > 0)
            parts << count(cut, QT_TRANSLATE_NOOP("TSignPreviewDock", "line cut"),
                           QT_TRANSLATE_NOOP("TSignPreviewDock", "lines cut"));
        if (hidden > 0)
            parts << count(hidden, QT_TRANSLATE_NOOP("TSignPreviewDock", "line not shown"),
                           QT_TRANSLATE_NOOP("TSignPreviewDock", "lines not shown"));
        text += QStringLiteral("  |  ") + parts.join(QStringLiteral(", "));
    }
    if (const std::size_t control = preview.totals.control)
        text += QStringLiteral("  |  ") +
                count(control, QT_TRANSLATE_NOOP("TSignPreviewDock", "line with a control byte"),
                      QT_TRANSLATE_NOOP("TSignPreviewDock", "lines with a control byte"));
    if (const std::size_t errors = preview.totals.errors)
        text +=
            QStringLiteral("  |  ") +
            count(errors, QT_TRANSLATE_NOOP("TSignPreviewDock", "byte run the sign cannot read"),
                  QT_TRANSLATE_NOOP("TSignPreviewDock", "byte runs the sign cannot read"));
    if (!note.isEmpty())
        text += QStringLiteral("  |  ") + note;
    statusText_ = text;
    ShowStatus();
}

void TSignPreviewDock::ShowStatus() {
    Status->setText(hovered_.isEmpty() ? statusText_
                                       : statusText_ + QStringLiteral("  |  ") + hovered_);
}

bool TSignPreviewDock::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Board &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)) {
        QString hovered;
        if (event->type() == QEvent::MouseMove) {
            const TSignChar* c = Board->charAt(static_cast<QMouseEvent*>(event)->pos());
            if (c)
                hovered = c->flashing
                              ? tr("Under the mouse: %1, flashing").arg(colourName(c->colour))
                              : tr("Under the mouse: %1").arg(colourName(c->colour));
        }
        if (hovered != hovered_) {
            hovered_ = hovered;
            ShowStatus();
        }
    }
    return QDockWidget::eventFilter(watched, event);
}
