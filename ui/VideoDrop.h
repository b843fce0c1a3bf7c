// Takes a file dropped from a file manager as the source, wherever on the
// window it lands; the edit and the code box would otherwise paste its
// address as text.
#pragma once

#include <functional>

#include <QObject>
#include <QString>

class QMimeData;

class VideoDrop final : public QObject {
 public:
  // accepting says whether a drop is taken now; take gets the file's path.
  VideoDrop(QObject* parent, std::function<bool()> accepting, std::function<void(const QString&)> take);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool()> accepting_;
  std::function<void(const QString&)> take_;
};

// The first local file a drag carries; empty when it carries none.
QString DroppedFile(const QMimeData* data);
