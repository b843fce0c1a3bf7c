#include "tests/ui/UiTestDoubles.h"

#include <QApplication>

std::optional<QString> ScriptedDialogs::OpenFile(QWidget*, const FileDialogSetup& setup) {
  openCalls.push_back(setup);
  if (openAnswers.empty()) return std::nullopt;
  QString answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

std::optional<QString> ScriptedDialogs::SaveFile(QWidget*, const FileDialogSetup& setup) {
  saveCalls.push_back(setup);
  if (saveAnswers.empty()) return std::nullopt;
  QString answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

void ScriptedDialogs::ShowMessage(QWidget*, const QString& text) { messages.push_back(text); }

void ScriptedDialogs::ShowError(QWidget*, const QString& text, const QString& caption) {
  errors.push_back({text, caption});
}

std::vector<int>& RecordedQualities() {
  static std::vector<int> qualities;
  return qualities;
}

namespace {

int RecordQuality(int quality) {
  RecordedQualities().push_back(quality);
  return 1;
}

}  // namespace

LoadedImaging RecordingImaging() {
  LoadedImaging imaging;
  imaging.api.SetJPEGQual = RecordQuality;
  return imaging;
}

FormUnderTest::FormUnderTest() {
  RecordedQualities().clear();
  MainFormServices services{&dialogs, &shell, [] { return std::optional(RecordingImaging()); },
                            [this](ConversionSettings& settings, ConversionWindow& window, const PictavoApi&) {
                              runs.push_back(settings);
                              if (duringRun) duringRun(settings, window);
                              return runWrites;
                            }};
  form = std::make_unique<TMainForm>(std::move(services));
  form->SetAboutHandler([this](bool whileRunning) {
    ++aboutShown;
    aboutWhileRunning += whileRunning ? 1 : 0;
  });
  form->FormCreate();
  form->show();
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButton button) {
  QWidget* receiver = QWidget::mouseGrabber() != nullptr ? QWidget::mouseGrabber() : target;
  const QPointF global = target->mapToGlobal(QPointF(position));
  const QPointF local = receiver->mapFromGlobal(global);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
  QApplication::sendEvent(receiver, &event);
}
