// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/register/RegisterWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <set>

#include "core/frame/Installation.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/instrument/FileStore.h"
#include "core/instrument/FileTransfer.h"
#include "core/register/RegisterTexts.h"
#include "core/report/ReportTexts.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"
#include "ui/frame/LabelledFields.h"
#include "ui/frame/ScreenFit.h"
#include "ui/results/CompareWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui/results/TableFocus.h"

namespace karvel::ui {

namespace {

constexpr int kSiteRole = Qt::UserRole;
constexpr int kSegmentRole = Qt::UserRole + 1;
// The date edits show "(any date)" at their lowest date.
const QDate kNoDate(2000, 1, 1);
// The search waits for the user to pause typing.
constexpr int kSearchDelayMs = 250;

QString entryDate(const RegisterEntry& e, int language) {
  const QString date = resultDateText(e.date);
  return e.dateSource == DateSource::Result ? date
                                            : pick(registertext::kFileTimeMark, language).arg(date);
}

}  // namespace

RegisterEntryModel::RegisterEntryModel(int language, QObject* parent)
    : QAbstractTableModel(parent), language_(language) {}

void RegisterEntryModel::setEntries(std::vector<RegisterEntry> entries) {
  beginResetModel();
  entries_ = std::move(entries);
  endResetModel();
}

int RegisterEntryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(entries_.size());
}

int RegisterEntryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant RegisterEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(entries_.size())) return {};
  const RegisterEntry& e = entries_[std::size_t(index.row())];
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    switch (index.column()) {
      case Date:
        return entryDate(e, language_);
      case Verdict:
        // The verdict's colour said in words, then the result's own text.
        if (role == Qt::AccessibleTextRole)
          return statusText(e.verdictStatus, language_) + QStringLiteral(": ") + e.verdict;
        return e.verdict;
      case Baseline:
        return e.baseline ? pick(registertext::kColumnBaseline, language_) : QString();
      case Technician:
        return e.technician;
      case Note:
        return e.note;
      case Site:
        return e.site;
      case Segment:
        return e.segment;
      case File:
        return e.fileName;
      case Shared:
        return e.pendingServer.isEmpty() ? QString() : pick(registertext::kNotYetShared, language_);
      default:
        return {};
    }
  }
  if (role == Qt::ToolTipRole && index.column() == Shared && !e.pendingServer.isEmpty())
    return e.pendingServer;
  if (role == Qt::FontRole && e.baseline) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  return {};
}

QVariant RegisterEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  static constexpr const Text5* kHeadings[] = {
      &registertext::kColumnDate,       &registertext::kColumnVerdict,
      &registertext::kColumnShared,     &registertext::kColumnBaseline,
      &registertext::kColumnTechnician, &registertext::kColumnNote,
      &registertext::kColumnSite,       &registertext::kColumnSegment,
      &registertext::kColumnFile};
  if (section < 0 || section >= ColumnCount) return {};
  return pick(*kHeadings[section], language_);
}

RegisterWindow::RegisterWindow(AppState& state, std::unique_ptr<Register> reg, QWidget* parent)
    : QMainWindow(parent), state_(state), language_(state.language), reg_(std::move(reg)) {
  setObjectName(QStringLiteral("RegisterWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(pick(registertext::kWindowTitle, language_).arg(reg_->displayName()));
  buildContents();
  buildMenu();
  resize(900, 540);
  reload();
  tree_->setFocus();
}

RegisterWindow::~RegisterWindow() = default;

void RegisterWindow::buildContents() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  auto* searchRow = new QHBoxLayout;
  auto addField = [&](const Text5& label, QWidget* field, const char* name) {
    auto* l = new QLabel(pick(label, language_), central);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(field);
    searchRow->addWidget(l);
    searchRow->addWidget(field);
  };
  searchField_ = new QLineEdit(central);
  searchField_->setObjectName(QStringLiteral("searchField"));
  searchField_->setClearButtonEnabled(true);
  busBox_ = new QComboBox(central);
  busBox_->setObjectName(QStringLiteral("busBox"));
  busBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  busBox_->setMinimumContentsLength(12);
  auto dateEdit = [&](const char* name) {
    auto* edit = new QDateEdit(central);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setMinimumDate(kNoDate);
    edit->setSpecialValueText(pick(registertext::kAnyDate, language_));
    edit->setDate(kNoDate);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
  };
  fromDate_ = dateEdit("fromDate");
  toDate_ = dateEdit("toDate");
  verdictBox_ = new QComboBox(central);
  verdictBox_->setObjectName(QStringLiteral("verdictBox"));
  verdictBox_->addItem(pick(registertext::kAnyVerdict, language_));
  for (Status s : {Status::Green, Status::Yellow, Status::Red})
    verdictBox_->addItem(statusText(s, language_), int(s));
  addField(registertext::kSearchText, searchField_, "searchLabel");
  addField(registertext::kSearchBus, busBox_, "busLabel");
  addField(registertext::kSearchFrom, fromDate_, "fromLabel");
  addField(registertext::kSearchTo, toDate_, "toLabel");
  addField(registertext::kSearchVerdict, verdictBox_, "verdictLabel");
  layout->addLayout(searchRow);

  auto* splitter = new QSplitter(Qt::Horizontal, central);
  tree_ = new QTreeWidget(splitter);
  tree_->setObjectName(QStringLiteral("siteTree"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setAccessibleName(pick(registertext::kTreeName, language_));
  table_ = new QTableView(splitter);
  table_->setObjectName(QStringLiteral("resultList"));
  model_ = new RegisterEntryModel(language_, this);
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAccessibleName(pick(registertext::kListName, language_));
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  // Widths from the first rows only: a register of thousands opens at once.
  table_->horizontalHeader()->setResizeContentsPrecision(200);
  letTabLeave(*table_);
  splitter->addWidget(tree_);
  splitter->addWidget(table_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 3);
  layout->addWidget(splitter, 1);
  countLabel_ = new QLabel(central);
  countLabel_->setObjectName(QStringLiteral("countLabel"));
  layout->addWidget(countLabel_);
  statusLine_ = new QLabel(central);
  statusLine_->setObjectName(QStringLiteral("statusLine"));
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  statusLine_->setFocusPolicy(Qt::StrongFocus);
  statusLine_->hide();
  layout->addWidget(statusLine_);
  setCentralWidget(central);
  nameFieldsAfterLabels(central);

  // Reading order: the search row, the tree, the list.
  setTabOrder(searchField_, busBox_);
  setTabOrder(busBox_, fromDate_);
  setTabOrder(fromDate_, toDate_);
  setTabOrder(toDate_, verdictBox_);
  setTabOrder(verdictBox_, tree_);
  setTabOrder(tree_, table_);

  searchDelay_ = new QTimer(this);
  searchDelay_->setSingleShot(true);
  searchDelay_->setInterval(kSearchDelayMs);
  connect(searchDelay_, &QTimer::timeout, this, &RegisterWindow::search);
  connect(searchField_, &QLineEdit::textChanged, searchDelay_, qOverload<>(&QTimer::start));
  connect(searchField_, &QLineEdit::returnPressed, this, &RegisterWindow::search);
  for (QComboBox* box : {busBox_, verdictBox_})
    connect(box, &QComboBox::currentIndexChanged, this, &RegisterWindow::search);
  for (QDateEdit* edit : {fromDate_, toDate_})
    connect(edit, &QDateEdit::dateChanged, searchDelay_, qOverload<>(&QTimer::start));
  connect(tree_, &QTreeWidget::currentItemChanged, this, &RegisterWindow::search);
  connect(table_, &QTableView::activated, this, [this] { openSelected(); });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &RegisterWindow::updateActions);
}

void RegisterWindow::buildMenu() {
  QMenu* menu = menuBar()->addMenu(menuText(pick(registertext::kResultsMenu, language_)));
  menu->setObjectName(QStringLiteral("menuResults"));
  auto add = [&](const Text5& text, const char* name, QKeySequence key, auto slot) {
    auto* action = menu->addAction(menuText(pick(text, language_)));
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  openAction_ = add(registertext::kOpenResult, "actionOpenResult",
                    QKeySequence(Qt::CTRL | Qt::Key_O), [this] { openSelected(); });
  compareAction_ = add(registertext::kCompareSelected, "actionCompareSelected",
                       QKeySequence(Qt::CTRL | Qt::Key_K), [this] { compareSelected(); });
  sinceBaselineAction_ = add(registertext::kCompareSinceBaseline, "actionCompareSinceBaseline",
                             QKeySequence(), [this] { compareSinceBaseline(); });
  baselineAction_ = add(registertext::kMakeBaseline, "actionMakeBaseline", QKeySequence(),
                        [this] { makeBaseline(); });
  menu->addSeparator();
  reportAction_ =
      add(reporttext::kMenuReport, "actionReport", QKeySequence(), [this] { makeReport(); });
  menu->addSeparator();
  add(registertext::kCloseWindow, "actionClose", QKeySequence(Qt::CTRL | Qt::Key_W),
      [this] { close(); });
  updateActions();
}

// Dimmed when they cannot run; each command still says why when run anyway.
void RegisterWindow::updateActions() {
  const std::size_t selected = table_->selectionModel()->selectedRows().size();
  openAction_->setEnabled(selected >= 1);
  compareAction_->setEnabled(selected >= 2);
  baselineAction_->setEnabled(selected == 1);
  sinceBaselineAction_->setEnabled(currentSegment().has_value());
}

void RegisterWindow::fail(const QString& error) {
  DialogOwner owner(*state_.ui, this);
  state_.ui->message(pick(registertext::kRegisterWord, language_), error);
}

void RegisterWindow::setOffline(const QString& server) {
  statusLine_->setText(pick(registertext::kOfflineStatus, language_).arg(server));
  statusLine_->show();
}

void RegisterWindow::reload() {
  QString site, segment;
  if (const QTreeWidgetItem* item = tree_->currentItem()) {
    site = item->data(0, kSiteRole).toString();
    segment = item->data(0, kSegmentRole).toString();
  }
  QString error;
  std::optional<std::vector<RegisterSegment>> segments;
  {
    BusyCursor busy(*state_.ui);
    segments = reg_->segments(QString(), &error);
  }
  if (!segments) {
    fail(error);
    segments.emplace();
  }
  const QSignalBlocker quietTree(tree_);
  tree_->clear();
  auto* all = new QTreeWidgetItem(tree_, {pick(registertext::kAllSites, language_)});
  std::map<QString, QTreeWidgetItem*> sites;
  std::set<QString> buses;
  // A site with no segment yet still shows.
  if (std::optional<std::vector<RegisterSite>> list = reg_->sites(&error)) {
    for (const RegisterSite& s : *list) {
      auto* item = new QTreeWidgetItem(all, {s.name});
      item->setData(0, kSiteRole, s.name);
      sites[s.name] = item;
    }
  }
  for (const RegisterSegment& g : *segments) {
    QTreeWidgetItem*& parent = sites[g.site];
    if (!parent) {
      parent = new QTreeWidgetItem(all, {g.site});
      parent->setData(0, kSiteRole, g.site);
    }
    const QString label =
        g.bus.isEmpty() ? g.name : QStringLiteral("%1 (%2)").arg(g.name, g.bus.simplified());
    auto* item = new QTreeWidgetItem(parent, {label});
    item->setData(0, kSiteRole, g.site);
    item->setData(0, kSegmentRole, g.name);
    if (!g.bus.isEmpty()) buses.insert(g.bus.simplified());
  }
  tree_->expandAll();
  tree_->setCurrentItem(all);

  const QSignalBlocker quietBus(busBox_);
  const QString bus = busBox_->currentIndex() > 0 ? busBox_->currentText() : QString();
  busBox_->clear();
  busBox_->addItem(pick(registertext::kAnyBus, language_));
  for (const QString& b : buses) busBox_->addItem(b);
  busBox_->setCurrentIndex(std::max(0, busBox_->findText(bus)));

  if (!site.isEmpty()) selectSegment(site, segment);
  search();
}

bool RegisterWindow::selectSegment(const QString& site, const QString& segment) {
  QTreeWidgetItem* all = tree_->topLevelItem(0);
  if (!all) return false;
  QTreeWidgetItem* found = nullptr;
  if (site.isEmpty()) found = all;
  for (int i = 0; !found && i < all->childCount(); ++i) {
    QTreeWidgetItem* s = all->child(i);
    if (s->data(0, kSiteRole).toString() != site) continue;
    if (segment.isEmpty()) {
      found = s;
      break;
    }
    for (int j = 0; j < s->childCount(); ++j)
      if (s->child(j)->data(0, kSegmentRole).toString() == segment) found = s->child(j);
  }
  if (!found) return false;
  if (tree_->currentItem() == found) {
    search();
    return true;
  }
  tree_->setCurrentItem(found);  // lists it
  return true;
}

void RegisterWindow::search() {
  searchDelay_->stop();
  RegisterFilter filter;
  if (const QTreeWidgetItem* item = tree_->currentItem()) {
    filter.site = item->data(0, kSiteRole).toString();
    filter.segment = item->data(0, kSegmentRole).toString();
  }
  filter.text = searchField_->text().trimmed();
  if (busBox_->currentIndex() > 0) filter.bus = busBox_->currentText();
  if (fromDate_->date() > kNoDate) filter.since = QDateTime(fromDate_->date(), QTime(0, 0));
  if (toDate_->date() > kNoDate) filter.until = QDateTime(toDate_->date(), QTime(23, 59, 59, 999));
  if (verdictBox_->currentIndex() > 0)
    filter.verdict = static_cast<Status>(verdictBox_->currentData().toInt());
  QString error;
  std::optional<std::vector<RegisterEntry>> entries;
  {
    BusyCursor busy(*state_.ui);
    entries = reg_->list(filter, &error);
  }
  if (!entries) {
    fail(error);
    entries.emplace();
  }
  // Sharing says something only for a server's register or one that holds
  // results waiting for a server; a technician's own file needs no column.
  const bool sharing =
      reg_->isServer() || std::any_of(entries->begin(), entries->end(), [](const RegisterEntry& e) {
        return !e.pendingServer.isEmpty();
      });
  model_->setEntries(std::move(*entries));
  table_->setColumnHidden(RegisterEntryModel::Shared, !sharing);
  table_->resizeColumnsToContents();
  countLabel_->setText(pick(registertext::kCount, language_).arg(model_->rowCount()));
  updateActions();
}

void RegisterWindow::selectRows(const std::vector<int>& rows) {
  QItemSelection selection;
  for (int row : rows)
    selection.select(model_->index(row, 0),
                     model_->index(row, RegisterEntryModel::ColumnCount - 1));
  table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!rows.empty())
    table_->selectionModel()->setCurrentIndex(model_->index(rows.front(), 0),
                                              QItemSelectionModel::NoUpdate);
}

std::vector<RegisterEntry> RegisterWindow::selectedEntries() const {
  QModelIndexList rows = table_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<RegisterEntry> out;
  for (const QModelIndex& i : rows) out.push_back(model_->entries()[std::size_t(i.row())]);
  return out;
}

bool RegisterWindow::makeReport(const ReportDialogRunner& run) {
  QString site;
  if (const QTreeWidgetItem* item = tree_->currentItem())
    site = item->data(0, kSiteRole).toString();
  if (site.isEmpty()) {
    const std::vector<RegisterEntry> selected = selectedEntries();
    if (!selected.empty()) site = selected.front().site;
  }
  return makeSiteReport(state_, *reg_, this, site, run);
}

std::optional<std::pair<QString, QString>> RegisterWindow::currentSegment() const {
  if (const QTreeWidgetItem* item = tree_->currentItem()) {
    const QString segment = item->data(0, kSegmentRole).toString();
    if (!segment.isEmpty()) return std::pair{item->data(0, kSiteRole).toString(), segment};
  }
  const std::vector<RegisterEntry> selected = selectedEntries();
  if (selected.empty()) return std::nullopt;
  for (const RegisterEntry& e : selected)
    if (e.segmentId != selected.front().segmentId) return std::nullopt;
  return std::pair{selected.front().site, selected.front().segment};
}

// Each selected result in a results window of its own, from the bytes the
// register keeps (a temporary file that goes with its window).
ResultWindow* RegisterWindow::openSelected() {
  const std::vector<RegisterEntry> selected = selectedEntries();
  if (selected.empty()) {
    fail(pick(registertext::kChooseResult, language_));
    return nullptr;
  }
  ResultWindow* last = nullptr;
  for (const RegisterEntry& e : selected) {
    QString error;
    const std::optional<QByteArray> bytes = reg_->originalBytes(e.id, &error);
    if (!bytes) {
      fail(error);
      continue;
    }
    const QString folder = temporaryFolder(state_);
    QString reason;
    const QString path = newTemporaryFile(folder, e.fileName, kKindResult, &reason);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
        !file.flush()) {
      if (!path.isEmpty()) {
        reason = file.errorString();
        file.close();
        QFile::remove(path);
      }
      fail(pick(text::kCannotWriteFile, language_)
               .arg(QDir::toNativeSeparators(path.isEmpty() ? folder : path), reason));
      continue;
    }
    file.close();
    if (ResultWindow* w = ReadHTMLFile(state_, path, ResultFile::Temporary, e.fileName)) last = w;
  }
  return last;
}

CompareWindow* RegisterWindow::showComparison(std::optional<Comparison> comparison,
                                              const QString& error) {
  if (!comparison) {
    fail(error);
    return nullptr;
  }
  auto* window = new CompareWindow(state_, std::move(*comparison));
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QWidget::close);
  keepOnScreen(*window);
  window->show();
  return window;
}

// The selected results, in the order of their dates, as File > Compare
// results ... would compare the same files.
CompareWindow* RegisterWindow::compareSelected() {
  const std::vector<RegisterEntry> selected = selectedEntries();
  QString error;
  std::vector<CompareRun> runs;
  std::optional<Comparison> comparison;
  {
    BusyCursor busy(*state_.ui);
    for (const RegisterEntry& e : selected) {
      const std::optional<QByteArray> bytes = reg_->originalBytes(e.id, &error);
      if (!bytes) {
        fail(error);
        return nullptr;
      }
      CompareRun run;
      run.table = readResultText(resultTextFromBytes(*bytes), e.fileName, language_);
      run.date = e.date;
      run.dateSource = e.dateSource;
      runs.push_back(std::move(run));
    }
    // Fewer than two, or of different buses: compareRuns says so.
    comparison = compareRuns(std::move(runs), CompareOptions{}, &error, language_);
  }
  return showComparison(std::move(comparison), error);
}

CompareWindow* RegisterWindow::compareSinceBaseline() {
  const auto segment = currentSegment();
  if (!segment) {
    fail(pick(registertext::kChooseSegment, language_));
    return nullptr;
  }
  QString error;
  std::optional<Comparison> comparison;
  {
    BusyCursor busy(*state_.ui);
    comparison =
        reg_->compareSegment(segment->first, segment->second, true, CompareOptions{}, &error);
  }
  return showComparison(std::move(comparison), error);
}

bool RegisterWindow::makeBaseline() {
  const std::vector<RegisterEntry> selected = selectedEntries();
  if (selected.size() != 1) {
    fail(pick(selected.empty() ? registertext::kChooseResult : registertext::kChooseSameSegment,
              language_));
    return false;
  }
  const RegisterEntry& chosen = selected.front();
  if (chosen.baseline) return true;
  QString error;
  RegisterFilter filter;
  filter.site = chosen.site;
  filter.segment = chosen.segment;
  const std::optional<std::vector<RegisterEntry>> others = reg_->list(filter, &error);
  if (!others) {
    fail(error);
    return false;
  }
  // The list's view against the register's: a baseline changed by another
  // program since the list was read is shown, not overwritten unseen.
  const qint64 seen = chosen.baselineChanges;
  if (!others->empty() && others->front().baselineChanges != seen) {
    if (const auto segments = reg_->segments(chosen.site, &error)) {
      for (const RegisterSegment& g : *segments) {
        if (g.name != chosen.segment) continue;
        fail(pick(registertext::kBaselineChangedMeanwhile, language_)
                 .arg(g.site, g.name, g.baselineChangedBy, resultDateText(g.baselineChangedAt)));
      }
    }
    search();
    return false;
  }
  for (const RegisterEntry& e : *others) {
    if (!e.baseline) continue;
    // Replacing a baseline changes what "since baseline" compares: asked.
    DialogOwner owner(*state_.ui, this);
    const int answer = state_.ui->ask(
        pick(registertext::kRegisterWord, language_),
        pick(registertext::kReplaceBaseline, language_)
            .arg(e.site, e.segment, e.fileName, entryDate(e, language_), chosen.fileName),
        {pick(registertext::kReplaceButton, language_),
         pick(registertext::kCancelButton, language_)},
        1, 1);
    if (answer != 0) return false;
    break;
  }
  // From the list's view: a change another program made since is refused
  // (and shown by reading the register again).
  if (!reg_->setBaseline(chosen.id, seen, &error)) {
    fail(error);
    search();
    return false;
  }
  const qint64 id = chosen.id;
  search();
  for (int row = 0; row < model_->rowCount(); ++row)
    if (model_->entries()[std::size_t(row)].id == id) selectRows({row});
  return true;
}

void RegisterWindow::keyPressEvent(QKeyEvent* event) {
  if (const std::optional<bool> next = ctrlTabDirection(*event)) {
    focusNextPrevChild(*next);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

QString localRegisterPathOf(const AppState& state) {
  Installation installation;
  installation.mode =
      state.installed ? Installation::Mode::Installed : Installation::Mode::Portable;
  installation.programDir = state.programDir;
  const QString path = Register::defaultPath(installation);
  QDir().mkpath(QFileInfo(path).absolutePath());
  return path;
}

QString registerPathOf(const AppState& state) {
  if (!state.registerPath.isEmpty()) return QDir::fromNativeSeparators(state.registerPath);
  return localRegisterPathOf(state);
}

bool openWindowsRegister(AppState& state, Register& reg, RegisterOpening* opening) {
  QString error;
  bool opened = false;
  RegisterOpening unused;
  RegisterOpening& o = opening ? *opening : unused;
  {
    BusyCursor busy(*state.ui);
    opened = openSharedRegister(reg, registerPathOf(state), localRegisterPathOf(state),
                                state.language, true, &o, &error);
  }
  const QString title = pick(registertext::kRegisterWord, state.language);
  if (!opened) {
    state.ui->message(title, error);
    return false;
  }
  reg.setTechnician(state.technician);
  if (o.offline && !state.registerOfflineTold) {
    state.registerOfflineTold = true;
    state.ui->message(title, o.notice);
  }
  if (!o.offline) state.registerOfflineTold = false;
  if (!o.shared.problems.isEmpty()) state.ui->message(title, o.shared.problems.join(u'\n'));
  return true;
}

RegisterWindow* openRegisterWindow(AppState& state) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* open = qobject_cast<RegisterWindow*>(w); open && open->isVisible()) {
      open->raise();
      open->activateWindow();
      return open;
    }
  }
  auto reg = std::make_unique<Register>();
  RegisterOpening opening;
  if (!openWindowsRegister(state, *reg, &opening)) return nullptr;
  auto* window = new RegisterWindow(state, std::move(reg));
  if (opening.offline) {
    window->setOffline(opening.serverName);
  } else if (opening.shared.sent > 0) {
    window->statusLine()->setText(pick(registertext::kSharedNow, state.language)
                                      .arg(opening.shared.sent)
                                      .arg(window->reg().displayName()));
    window->statusLine()->show();
  }
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QWidget::close);
  keepOnScreen(*window);
  window->show();
  return window;
}

void reloadRegisterWindows() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* open = qobject_cast<RegisterWindow*>(w)) open->reload();
}

}  // namespace karvel::ui
