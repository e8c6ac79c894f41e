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
#include <QStatusBar>
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
#include "ui/frame/DateField.h"
#include "ui/frame/LabelledFields.h"
#include "ui/frame/ScreenFit.h"
#include "ui/register/SiteDetailsDialog.h"
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
  sortEntries();
  endResetModel();
}

namespace {

// Fail before warning before pass: the worst first when sorted downwards.
int severity(Status s) {
  switch (s) {
    case Status::Red:
      return 3;
    case Status::Yellow:
      return 2;
    case Status::Green:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

void RegisterEntryModel::sortEntries() {
  const int column = sortColumn_;
  const bool down = sortOrder_ == Qt::DescendingOrder;
  // <0, 0, >0 as a comes before, with, after b in ascending order.
  auto compare = [column](const RegisterEntry& a, const RegisterEntry& b) -> int {
    auto text = [](const QString& x, const QString& y) {
      return QString::localeAwareCompare(x, y);
    };
    auto order = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (column) {
      case Date:
        return order(a.date, b.date);
      case Verdict:
        if (int c = order(severity(a.verdictStatus), severity(b.verdictStatus))) return c;
        return text(a.verdict, b.verdict);
      case Shared:
        return order(!a.pendingServer.isEmpty(), !b.pendingServer.isEmpty());
      case Baseline:
        return order(a.baseline, b.baseline);
      case Technician:
        return text(a.technician, b.technician);
      case Site:
        return text(a.site, b.site);
      case Segment:
        if (int c = text(a.site, b.site)) return c;
        return text(a.segment, b.segment);
      case File:
        return text(a.fileName, b.fileName);
      case Note:
        return text(a.note, b.note);
      default:
        return 0;
    }
  };
  std::stable_sort(entries_.begin(), entries_.end(),
                   [&](const RegisterEntry& a, const RegisterEntry& b) {
                     if (const int c = compare(a, b)) return down ? c > 0 : c < 0;
                     // Equal: the newest first, then the one filed last.
                     if (a.date != b.date) return a.date > b.date;
                     return a.id > b.id;
                   });
}

void RegisterEntryModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // The selection follows its results to their new rows.
  const QModelIndexList before = persistentIndexList();
  std::vector<qint64> ids;
  ids.reserve(std::size_t(before.size()));
  for (const QModelIndex& i : before)
    ids.push_back(i.row() < int(entries_.size()) ? entries_[std::size_t(i.row())].id : -1);
  sortColumn_ = column;
  sortOrder_ = order;
  sortEntries();
  std::map<qint64, int> rowOf;
  for (std::size_t r = 0; r < entries_.size(); ++r) rowOf[entries_[r].id] = int(r);
  QModelIndexList after;
  for (qsizetype k = 0; k < before.size(); ++k) {
    const auto found = rowOf.find(ids[std::size_t(k)]);
    after << (found == rowOf.end() ? QModelIndex() : index(found->second, before[k].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
  // A long note is cut short in its column: the whole of it on hovering.
  if (role == Qt::ToolTipRole && index.column() == Note && !e.note.isEmpty()) return e.note;
  if (role == Qt::FontRole && e.baseline) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  return {};
}

QVariant RegisterEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The first click on a date or a verdict puts the newest or the worst first.
  if (orientation == Qt::Horizontal && role == Qt::InitialSortOrderRole)
    return int(section == Date || section == Verdict ? Qt::DescendingOrder : Qt::AscendingOrder);
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  static constexpr const Text5* kHeadings[] = {
      &registertext::kColumnDate,       &registertext::kColumnVerdict,
      &registertext::kColumnShared,     &registertext::kColumnBaseline,
      &registertext::kColumnTechnician, &registertext::kColumnSite,
      &registertext::kColumnSegment,    &registertext::kColumnFile,
      &registertext::kColumnNote};
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
    // One Tab per date, not one per section.
    auto* edit = new DateField(central);
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
  // The note, last, takes the room left and is cut short with "...".
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setTextElideMode(Qt::ElideRight);
  table_->setWordWrap(false);
  // A click on a heading sorts by it; newest first until then.
  table_->setSortingEnabled(true);
  table_->horizontalHeader()->setSortIndicator(model_->sortColumn(), model_->sortOrder());
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
  siteDetailsAction_ = add(registertext::kMenuSiteDetails, "actionSiteDetails", QKeySequence(),
                           [this] { editSiteDetails(); });
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
  siteDetailsAction_->setEnabled(!currentSite().isEmpty());
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
  // Every column to its contents but the note, which takes what is left.
  for (int c = 0; c < RegisterEntryModel::Note; ++c) table_->resizeColumnToContents(c);
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

QString RegisterWindow::currentSite() const {
  QString site;
  if (const QTreeWidgetItem* item = tree_->currentItem())
    site = item->data(0, kSiteRole).toString();
  if (site.isEmpty()) {
    const std::vector<RegisterEntry> selected = selectedEntries();
    if (!selected.empty()) site = selected.front().site;
  }
  return site;
}

bool RegisterWindow::makeReport(const ReportDialogRunner& run) {
  return makeSiteReport(state_, *reg_, this, currentSite(), run);
}

bool RegisterWindow::editSiteDetails(const SiteDetailsRunner& run) {
  const QString site = currentSite();
  if (site.isEmpty()) {
    fail(pick(registertext::kChooseSite, language_));
    return false;
  }
  // The segment only when it is of that site (a selection across sites
  // has none).
  QString segment;
  if (const auto chosen = currentSegment(); chosen && chosen->first == site)
    segment = chosen->second;
  QString error;
  SiteDetails now;
  bool found = false;
  {
    BusyCursor busy(*state_.ui);
    if (const auto sites = reg_->sites(&error)) {
      for (const RegisterSite& s : *sites) {
        if (s.name != site) continue;
        now.customer = s.customer;
        now.siteNotes = s.notes;
        found = true;
      }
    }
    if (found && !segment.isEmpty()) {
      if (const auto segments = reg_->segments(site, &error)) {
        for (const RegisterSegment& g : *segments)
          if (g.name == segment) now.segmentNotes = g.notes;
      } else {
        found = false;
      }
    }
  }
  if (!found) {
    fail(error.isEmpty() ? pick(registertext::kNoSuchSite, language_).arg(site) : error);
    return false;
  }
  SiteDetailsDialog dialog(language_, site, segment, now, this);
  if (!(run ? run(dialog) : dialog.exec() == QDialog::Accepted)) return false;
  const SiteDetails typed = dialog.details();
  bool saved = false;
  {
    BusyCursor busy(*state_.ui);
    // What the register refuses (a read-only role, a site gone meanwhile)
    // is told; nothing is said saved that was not.
    saved = reg_->setSiteDetails(site, typed.customer, typed.siteNotes, &error) &&
            (segment.isEmpty() || reg_->setSegmentNotes(site, segment, typed.segmentNotes, &error));
  }
  if (!saved) {
    fail(error);
    return false;
  }
  statusBar()->showMessage(pick(registertext::kSiteDetailsSaved, language_).arg(site), 15000);
  return true;
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
    if (ResultWindow* w = ReadHTMLFile(state_, path, ResultFile::Temporary, e.fileName)) {
      // Where it was filed and where it came from, never "from the instrument"
      // for a file.
      w->setOrigin(pick(registertext::kOpenedFromRegister, language_)
                       .arg(originText(e, language_), e.site, e.segment));
      last = w;
    }
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
