#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

// The live fields of a message as the Sign Preview shows them when asked to ("Show Field
// Values"): the values at this moment, and a signal when one of them may read differently (the
// time reaches its next value, a field's file changes), so that the preview follows them.
class TLiveFieldFeed : public QObject {
    Q_OBJECT
public:
    explicit TLiveFieldFeed(QObject* parent = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The lines with their fields' values now, when enabled; otherwise as they are. A field that
    // cannot be read stays as written. Relative file paths are taken from `folder`.
    std::vector<std::string> Lines(const std::vector<std::string>& lines,
                                   const std::string& folder);

signals:
    void Changed();

private:
    bool enabled_ = false;
    QTimer next_;
    QFileSystemWatcher watcher_;
};
