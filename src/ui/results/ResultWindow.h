// SPDX-License-Identifier: GPL-3.0-or-later
// A results window: one diagnostic result shown as a table, with its own
// File menu (Save, Print, Export to EXCEL, Exit) and the per-bus help button.
// Everything taken from the result file is shown as plain text.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "core/frame/AppState.h"
#include "core/results/ResultTable.h"

namespace Ui {
class ResultWindow;
}

namespace karvel::ui {

class MainWindow;
class ResultTableModel;

class ResultWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `icons` in status order: green, red, yellow.
  ResultWindow(AppState& state, ResultTable table, std::array<QPixmap, 3> icons,
               QWidget* parent = nullptr);
  ~ResultWindow() override;

  const ResultTable& table() const { return table_; }
  // The path the window was made from (a fetched result's temporary file).
  QString sourcePath() const;
  // The name of a result fetched from the instrument, as the instrument
  // calls it; the window shows it (title, file field, print) in place of the
  // temporary file's. Empty for a file the user opened.
  QString instrumentName() const { return instrumentName_; }
  void setInstrumentName(const QString& name);
  // The identification reply of the instrument a fetched result came from
  // (empty for a file the user opened): filed with the result.
  QByteArray instrumentIdentification() const { return instrumentIdentification_; }
  void setInstrumentIdentification(const QByteArray& reply) { instrumentIdentification_ = reply; }
  // What the window calls its file: the instrument's name, else the path.
  QString shownName() const;
  // Where a result that is not the user's own file came from, said in the
  // title and the file field in place of "from the instrument" (a result
  // opened from the register: where it was filed from). Empty by default.
  QString origin() const { return origin_; }
  void setOrigin(const QString& origin);
  // A file the program made for this window alone (a fetched result): it is
  // deleted when the window closes. Empty for a file the user opened.
  QString temporaryFile() const { return temporaryFile_; }
  void setTemporaryFile(const QString& path) {
    temporaryFile_ = path;
    showName();
  }

  // The commands of the window's menu and help button.
  void saveAs();
  void printWindow();
  void exportTable();
  void fileInRegister();
  void showHelp();

 protected:
  // Closing the window (also its Exit command) removes its temporary file.
  void closeEvent(QCloseEvent* event) override;
  // Ctrl+Tab and Ctrl+Shift+Tab move on from any control, as Tab does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void applyTexts();
  void fill(std::array<QPixmap, 3> icons);

  void showName();

  AppState& state_;
  const int language_;  // the window keeps the language it was opened in
  ResultTable table_;
  QString temporaryFile_;
  QString instrumentName_;
  QString origin_;
  QByteArray instrumentIdentification_;
  std::unique_ptr<Ui::ResultWindow> form_;
  ResultTableModel* model_ = nullptr;
  QAction* fileInRegister_ = nullptr;
};

// Where a result file comes from: the user's own file, never deleted, or a
// temporary file that the program made for the window (a fetched result).
enum class ResultFile { User, Temporary };

// Reads the result file at `path` into a new results window, placed in the
// cascade of results windows and shown. A file that cannot be read is
// reported through state.ui and gives no window (nullptr); a temporary file
// is then deleted at once.
// `instrumentName` is the name the instrument gave a fetched result.
ResultWindow* ReadHTMLFile(AppState& state, const QString& path,
                           ResultFile origin = ResultFile::User,
                           const QString& instrumentName = {});

// The three status icons (green, red, yellow) from bitmap/ in the program
// folder; a missing icon file leaves that status without an icon.
std::array<QPixmap, 3> loadStatusIcons(const AppState& state);

}  // namespace karvel::ui
