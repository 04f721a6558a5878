#include "app/file_drop.h"

#include "app/command_line.h"
#include "widgets/run_command.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

TFileDrop::TFileDrop(QWidget& window, OpenHandler open)
    : QObject(&window)
    , open_(std::move(open)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

std::optional<std::string> TFileDrop::DroppedMessageFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !isFileOfThisMachine(urls.front()))
        return std::nullopt;
    if (!urls.front().toLocalFile().endsWith(".lsm", Qt::CaseInsensitive))
        return std::nullopt;
    return localFilePath(urls.front());
}

namespace {

// Opening reads the file and leaves it where it is: the drop is a copy (or a link), never a
// move, which would have the file manager remove the file once it is "moved" here.
bool acceptAsCopy(QDropEvent* event) {
    if (!TFileDrop::DroppedMessageFile(event->mimeData()))
        return false;
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

} // namespace

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!acceptAsCopy(drag))
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<std::string> path = DroppedMessageFile(drop->mimeData());
        if (!path || !acceptAsCopy(drop)) {
            drop->ignore();
            return true;
        }
        QTimer::singleShot(0, this,
                           [this, file = *path] { runCommand([this, &file] { open_(file); }); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
