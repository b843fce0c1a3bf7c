#include "ui/VideoDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

VideoDrop::VideoDrop(QObject* parent, std::function<bool()> accepting, std::function<void(const QString&)> take)
    : QObject(parent), accepting_(std::move(accepting)), take_(std::move(take)) {}

QString DroppedFile(const QMimeData* data) {
  if (data == nullptr) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

bool VideoDrop::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
    return QObject::eventFilter(watched, event);
  }
  auto* drop = static_cast<QDropEvent*>(event);
  const QString file = DroppedFile(drop->mimeData());
  if (file.isEmpty()) return QObject::eventFilter(watched, event);  // text keeps its usual way
  if (!accepting_()) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) take_(file);
  return true;
}
