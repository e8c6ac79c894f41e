#include <QApplication>
#include <QMainWindow>

#include "core/AppState.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QString::fromUtf8(karvel::kVersionText));
  window.show();
  return app.exec();
}
