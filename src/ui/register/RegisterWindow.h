// SPDX-License-Identifier: GPL-3.0-or-later
// The register window (File > Register ...): the sites and their segments
// in a tree, the results of the selection by date with verdict, baseline
// mark, technician and note, and a search by text, bus, date range and
// verdict. Its Results menu opens a result, compares the selected results
// or a segment since its baseline, makes a result its segment's baseline,
// writes a site visit's maintenance report and shows and changes a site's
// customer and notes. The list starts newest first and sorts on a heading
// click. The window keeps the language it was opened in.
#pragma once

#include <QAbstractTableModel>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterSharing.h"
#include "ui/report/ReportDialog.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;
class QTreeWidget;

namespace karvel::ui {

class CompareWindow;
class ResultWindow;
class SiteDetailsDialog;

// The results of the list, one row each.
class RegisterEntryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Whether a result is shared yet stays in sight beside its verdict.
  // The note comes last: it stretches and is cut short, never pushing the
  // place of a result out of sight.
  enum Column {
    Date,
    Verdict,
    Shared,
    Baseline,
    Technician,
    Site,
    Segment,
    File,
    Note,
    ColumnCount
  };
  RegisterEntryModel(int language, QObject* parent = nullptr);
  // Keeps the order the list is sorted in (newest first at the start).
  void setEntries(std::vector<RegisterEntry> entries);
  // Dates by time, verdicts by severity (fail, warning, pass), the rest as
  // text in the user's alphabet; equal ones newest first.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  int sortColumn() const { return sortColumn_; }
  Qt::SortOrder sortOrder() const { return sortOrder_; }
  const std::vector<RegisterEntry>& entries() const { return entries_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void sortEntries();

  int language_;
  std::vector<RegisterEntry> entries_;
  int sortColumn_ = Date;
  Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
};

class RegisterWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Shows the register `reg` (open).
  RegisterWindow(AppState& state, std::unique_ptr<Register> reg, QWidget* parent = nullptr);
  ~RegisterWindow() override;

  Register& reg() { return *reg_; }
  QTreeWidget* tree() const { return tree_; }
  QTableView* table() const { return table_; }
  RegisterEntryModel* model() const { return model_; }
  QLineEdit* searchField() const { return searchField_; }
  QComboBox* busBox() const { return busBox_; }
  QDateEdit* fromDate() const { return fromDate_; }
  QDateEdit* toDate() const { return toDate_; }
  QComboBox* verdictBox() const { return verdictBox_; }

  // Reads the sites and segments again (keeping the selection) and the list.
  void reload();
  // The register shown is the local one because `server` could not be
  // reached: said in the status line.
  void setOffline(const QString& server);
  QLabel* statusLine() const { return statusLine_; }
  // Lists the results of the tree's selection that pass the search fields.
  void search();
  // Selects a segment in the tree (an empty site: every site); false when
  // the tree has no such node.
  bool selectSegment(const QString& site, const QString& segment = {});
  // Selects rows of the list.
  void selectRows(const std::vector<int>& rows);
  std::vector<RegisterEntry> selectedEntries() const;

  // The commands of the Results menu; each tells the user why it cannot run.
  ResultWindow* openSelected();
  CompareWindow* compareSelected();
  CompareWindow* compareSinceBaseline();
  bool makeBaseline();
  // Register > Report ...: the maintenance report of the selected site.
  bool makeReport(const ReportDialogRunner& run = {});
  // Results > Site details ...: the selected site's customer and notes, and
  // the selected segment's notes, shown and changed in a dialog that `run`
  // answers (exec() by default). True when they were saved.
  using SiteDetailsRunner = std::function<bool(SiteDetailsDialog&)>;
  bool editSiteDetails(const SiteDetailsRunner& run = {});

 protected:
  // Ctrl+Tab and Ctrl+Shift+Tab move on from any control, as Tab does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildMenu();
  void buildContents();
  void updateActions();
  void fail(const QString& error);
  // The site of the tree's selection, else of the first selected result.
  QString currentSite() const;
  // The segment of the tree's selection, else of the selected results when
  // they share one.
  std::optional<std::pair<QString, QString>> currentSegment() const;
  CompareWindow* showComparison(std::optional<Comparison> comparison, const QString& error);

  AppState& state_;
  const int language_;
  std::unique_ptr<Register> reg_;
  QTreeWidget* tree_ = nullptr;
  QTableView* table_ = nullptr;
  RegisterEntryModel* model_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QComboBox* busBox_ = nullptr;
  QDateEdit* fromDate_ = nullptr;
  QDateEdit* toDate_ = nullptr;
  QComboBox* verdictBox_ = nullptr;
  QLabel* countLabel_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QTimer* searchDelay_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* compareAction_ = nullptr;
  QAction* sinceBaselineAction_ = nullptr;
  QAction* baselineAction_ = nullptr;
  QAction* reportAction_ = nullptr;
  QAction* siteDetailsAction_ = nullptr;
};

// The register file the windows use: the settings' one, else the default
// one (whose folder is made when missing).
QString registerPathOf(const AppState& state);

// Opens the windows' register into `reg`; a register that cannot be opened
// is told through state.ui (the reason named) and gives false. A server
// that cannot be reached is told once per run, and the local register is
// opened instead (`opening` says so); one that answers is first sent what
// the local register holds for it.
bool openWindowsRegister(AppState& state, Register& reg, RegisterOpening* opening = nullptr);

// The register on this computer: where work goes on while the server
// cannot be reached (Register::defaultPath).
QString localRegisterPathOf(const AppState& state);

// File > Register ...: the register window, raised when one is open already;
// nullptr when the register cannot be opened (told through state.ui).
RegisterWindow* openRegisterWindow(AppState& state);

// Every register window open, to be read again after a filing.
void reloadRegisterWindows();

}  // namespace karvel::ui
