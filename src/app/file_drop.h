#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QMimeData;
class QWidget;

// Opens a message file dropped on a window from outside (a file manager, a desktop): a drag
// that carries exactly one local file named *.lsm is taken; every other drag is refused, so the
// pointer says so before the user lets go. The opening runs after the drop has finished, so the
// program that the file came from is not held while the save question waits for an answer.
class TFileDrop : public QObject {
    Q_OBJECT
public:
    using OpenHandler = std::function<void(const std::string& path)>;

    // Makes `window` take drops; `open` runs (as a command) for each file dropped on it.
    TFileDrop(QWidget& window, OpenHandler open);

    // The message file that `data` carries, if it carries one and nothing else.
    static std::optional<std::string> DroppedMessageFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OpenHandler open_;
};
