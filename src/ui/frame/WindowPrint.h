// Printing a window as it looks: both the main window and the results
// windows print a picture of themselves through the printer the user chose.
#pragma once

#include <QString>

class QWidget;

namespace karvel {
struct PrintChoice;
}

namespace karvel::ui {

// Prints `window` scaled to fit one page on the printer (or PDF file) that
// `choice` names. Returns false when the printer could not be started.
bool printWindowPicture(QWidget& window, const PrintChoice& choice, const QString& documentName);

// The printer or file a failure message should name.
QString printTargetName(const PrintChoice& choice);

}  // namespace karvel::ui
