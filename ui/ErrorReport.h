// The general error report: errors escaping an event handler end up here.
#pragma once

#include <functional>

#include <QString>

class DialogProvider;
class QWidget;

// The text as shown: a "." is appended when the last character sorts after ".".
QString ErrorReportText(const QString& message);

// Runs handler; an exception leaving it is shown with the application title
// as caption and an error icon, and the program goes on.
void ReportErrors(DialogProvider& dialogs, QWidget* owner, const std::function<void()>& handler);
