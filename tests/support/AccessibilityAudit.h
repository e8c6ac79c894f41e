// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader and a keyboard user meet in a window, checked the way
// assistive technology reads it: through QAccessible (the same interfaces
// AT-SPI exports on Linux) and through the focus chain Tab follows.
//
//   auditAccessibility(root)  one line per problem under root:
//     - a visible object that takes focus or can be acted on (pressed,
//       toggled, edited, checked) and has no accessible name;
//     - a combo box or an item view without a name of its own, or a combo
//       box whose interface does not give it (Qt on Linux gives a combo
//       box's current value as its name unless ui::nameComboBoxesByLabel
//       is installed, as the program and the UI tests do);
//     - a column header without a text; an item whose only content is an
//       icon or a colour (no text and no Qt::AccessibleTextRole);
//     - two controls with the same role and name where a user meets them one
//       after the other: in one window outside menus (Tab reaches them in
//       turn), or in one menu.
//   auditFocusChain(root)  one line per problem with Tab in root's window:
//     - a visible, enabled widget under root that accepts Tab focus (itself or
//       through its focus proxy) and that the walk of nextInFocusChain from
//       the window never reaches;
//     - a focus chain that does not come back to the window;
//     - a widget that keeps Tab for itself (an item view with tab key
//       navigation, an editable text area that takes Tab as text), since
//       nothing after it can be reached.
//   tabStops(window)  the widgets Tab visits, in order, for tests of
//     reading order.
//
// Show the window before auditing: hidden objects are skipped, as a screen
// reader skips them.
#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QComboBox>
#include <QHash>
#include <QPlainTextEdit>
#include <QSet>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace karvel::test {

namespace a11y_detail {

inline QString describeWidget(const QWidget* w) {
  if (!w) return QStringLiteral("(none)");
  QString s = QString::fromLatin1(w->metaObject()->className());
  if (!w->objectName().isEmpty()) s += QStringLiteral(" '") + w->objectName() + QLatin1Char('\'');
  const QString name = w->accessibleName();
  if (!name.isEmpty()) s += QStringLiteral(" \"") + name + QLatin1Char('"');
  return s;
}

inline QString roleName(QAccessible::Role role) {
  switch (role) {
    case QAccessible::Button:
      return QStringLiteral("button");
    case QAccessible::CheckBox:
      return QStringLiteral("check box");
    case QAccessible::RadioButton:
      return QStringLiteral("radio button");
    case QAccessible::ComboBox:
      return QStringLiteral("combo box");
    case QAccessible::EditableText:
      return QStringLiteral("editable text");
    case QAccessible::SpinBox:
      return QStringLiteral("spin box");
    case QAccessible::Slider:
      return QStringLiteral("slider");
    case QAccessible::Table:
      return QStringLiteral("table");
    case QAccessible::List:
      return QStringLiteral("list");
    case QAccessible::Tree:
      return QStringLiteral("tree");
    case QAccessible::MenuItem:
      return QStringLiteral("menu item");
    case QAccessible::MenuBar:
      return QStringLiteral("menu bar");
    case QAccessible::PopupMenu:
      return QStringLiteral("menu");
    case QAccessible::ToolBar:
      return QStringLiteral("tool bar");
    case QAccessible::ProgressBar:
      return QStringLiteral("progress bar");
    case QAccessible::Chart:
      return QStringLiteral("chart");
    case QAccessible::Graphic:
      return QStringLiteral("graphic");
    case QAccessible::PageTab:
      return QStringLiteral("page tab");
    case QAccessible::StaticText:
      return QStringLiteral("text");
    case QAccessible::Grouping:
      return QStringLiteral("group");
    case QAccessible::Cell:
      return QStringLiteral("cell");
    default:
      return QStringLiteral("role %1").arg(int(role));
  }
}

// "button 'speedNextButton' in QGroupBox 'speedGroup'": enough to find it.
inline QString describe(QAccessibleInterface* iface) {
  QString s = roleName(iface->role());
  QObject* o = iface->object();
  if (o && !o->objectName().isEmpty())
    s += QStringLiteral(" '") + o->objectName() + QLatin1Char('\'');
  else if (o)
    s +=
        QStringLiteral(" (") + QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(')');
  const QString name = iface->text(QAccessible::Name);
  if (!name.isEmpty()) s += QStringLiteral(" \"") + name + QLatin1Char('"');
  for (QAccessibleInterface* p = iface->parent(); p; p = p->parent()) {
    QObject* po = p->object();
    if (po && !po->objectName().isEmpty()) {
      s += QStringLiteral(" in ") + QString::fromLatin1(po->metaObject()->className()) +
           QStringLiteral(" '") + po->objectName() + QLatin1Char('\'');
      break;
    }
  }
  return s;
}

inline bool isActionable(QAccessibleInterface* iface) {
  const QAccessible::State st = iface->state();
  if (st.focusable || st.editable || st.checkable) return true;
  switch (iface->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::MenuItem:
    case QAccessible::PageTab:
      return true;
    default:
      break;
  }
  if (QAccessibleActionInterface* act = iface->actionInterface()) {
    const QStringList names = act->actionNames();
    for (const QString& a : names) {
      if (a == QAccessibleActionInterface::pressAction() ||
          a == QAccessibleActionInterface::toggleAction() ||
          a == QAccessibleActionInterface::setFocusAction())
        return true;
    }
  }
  return false;
}

// One list of controls per place where a user meets them one after the other.
using Scopes = std::map<QAccessibleInterface*, std::vector<QAccessibleInterface*>>;

// An item view's rows can be thousands: read its model once, linearly, rather
// than one interface per cell.
inline void auditItemView(QAbstractItemView* view, QAccessibleInterface* iface,
                          std::vector<std::string>& out) {
  QAbstractItemModel* model = view->model();
  if (!model) return;
  const int rows = model->rowCount();
  const int columns = model->columnCount();
  const bool headerShown =
      iface->role() == QAccessible::Table || iface->role() == QAccessible::Tree;
  if (headerShown) {
    for (int c = 0; c < columns; ++c) {
      if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().trimmed().isEmpty() &&
          model->headerData(c, Qt::Horizontal, Qt::AccessibleTextRole)
              .toString()
              .trimmed()
              .isEmpty())
        out.push_back(QStringLiteral("column %1 of %2 has no header text")
                          .arg(c)
                          .arg(describe(iface))
                          .toStdString());
    }
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const QModelIndex index = model->index(r, c);
      const bool says = !index.data(Qt::DisplayRole).toString().trimmed().isEmpty() ||
                        !index.data(Qt::AccessibleTextRole).toString().trimmed().isEmpty();
      if (says) continue;
      const bool shows = index.data(Qt::DecorationRole).isValid() ||
                         index.data(Qt::BackgroundRole).isValid() ||
                         index.data(Qt::CheckStateRole).isValid();
      if (shows)
        out.push_back(QStringLiteral("row %1 column %2 of %3 shows an icon or colour without words")
                          .arg(r)
                          .arg(c)
                          .arg(describe(iface))
                          .toStdString());
    }
  }
}

inline void walk(QAccessibleInterface* iface, QAccessibleInterface* scope, Scopes& scopes,
                 std::vector<std::string>& out, QSet<QAccessibleInterface*>& seen, int depth) {
  if (!iface || !iface->isValid() || seen.contains(iface) || depth > 64) return;
  seen.insert(iface);
  const QAccessible::State st = iface->state();
  if (st.invisible) return;
  const QAccessible::Role role = iface->role();
  if (role == QAccessible::Separator) return;

  const QString name = iface->text(QAccessible::Name).trimmed();
  QObject* object = iface->object();
  QWidget* widget = object && object->isWidgetType() ? static_cast<QWidget*>(object) : nullptr;

  if (isActionable(iface) && name.isEmpty())
    out.push_back((QStringLiteral("no accessible name: ") + describe(iface)).toStdString());

  // Qt reads a combo box's value as its name on Linux; a label's buddy or an
  // accessible name of its own gives it its label instead.
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    // What AT-SPI exports is the interface's name: the accessible name set
    // on the widget says nothing unless the interface gives it.
    if (combo->accessibleName().trimmed().isEmpty() || name != combo->accessibleName().trimmed())
      out.push_back(
          (QStringLiteral("combo box named by its value, not its label: ") + describeWidget(combo))
              .toStdString());
  }

  if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
    if (name.isEmpty() && !isActionable(iface))
      out.push_back((QStringLiteral("no accessible name: ") + describe(iface)).toStdString());
    auditItemView(view, iface, out);
    if (isActionable(iface) && !name.isEmpty()) scopes[scope].push_back(iface);
    return;  // cells were read from the model
  }

  if ((isActionable(iface) || role == QAccessible::Chart || role == QAccessible::ProgressBar) &&
      !name.isEmpty())
    scopes[scope].push_back(iface);
  if ((role == QAccessible::Chart || role == QAccessible::ProgressBar) && name.isEmpty())
    out.push_back((QStringLiteral("no accessible name: ") + describe(iface)).toStdString());

  // A menu is a place of its own: its items are met one after the other there.
  QAccessibleInterface* childScope = role == QAccessible::PopupMenu ? iface : scope;
  // A separate window opened from this one is audited by its own call.
  const int n = iface->childCount();
  for (int i = 0; i < n; ++i) {
    QAccessibleInterface* child = iface->child(i);
    if (!child) continue;
    QObject* co = child->object();
    if (co && co->isWidgetType()) {
      auto* cw = static_cast<QWidget*>(co);
      if (cw->isWindow() && !qobject_cast<const QWidget*>(cw)->inherits("QMenu")) continue;
    }
    walk(child, childScope, scopes, out, seen, depth + 1);
  }
}

inline QWidget* resolveProxy(QWidget* w) {
  int guard = 0;
  while (w && w->focusProxy() && guard++ < 32) w = w->focusProxy();
  return w;
}

inline bool acceptsTab(QWidget* w, QWidget* window) {
  if (!w || w->window() != window) return false;
  const bool visible = window->isVisible() ? w->isVisible() : w->isVisibleTo(window);
  return visible && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

inline bool keepsTab(QWidget* w) {
  if (auto* view = qobject_cast<QAbstractItemView*>(w)) return view->tabKeyNavigation();
  if (auto* edit = qobject_cast<QTextEdit*>(w))
    return !edit->isReadOnly() && !edit->tabChangesFocus();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
    return !plain->isReadOnly() && !plain->tabChangesFocus();
  return false;
}

}  // namespace a11y_detail

inline std::vector<std::string> auditAccessibility(QWidget* root) {
  using namespace a11y_detail;
  std::vector<std::string> out;
  QAccessibleInterface* top = QAccessible::queryAccessibleInterface(root);
  if (!top) {
    out.push_back(
        (QStringLiteral("no accessible interface: ") + describeWidget(root)).toStdString());
    return out;
  }
  Scopes scopes;
  QSet<QAccessibleInterface*> seen;
  walk(top, top, scopes, out, seen, 0);
  for (const auto& [scope, members] : scopes) {
    QHash<QString, QAccessibleInterface*> first;
    for (QAccessibleInterface* m : members) {
      const QString key =
          QString::number(int(m->role())) + QLatin1Char('|') + m->text(QAccessible::Name).trimmed();
      if (auto it = first.constFind(key); it != first.constEnd())
        out.push_back((QStringLiteral("same role and name: ") + describe(*it) +
                       QStringLiteral(" and ") + describe(m))
                          .toStdString());
      else
        first.insert(key, m);
    }
  }
  return out;
}

// The widgets Tab visits from the window, in order, each counted once (a
// focus proxy stands for the widget it receives focus for).
inline std::vector<QWidget*> tabStops(QWidget* window) {
  using namespace a11y_detail;
  window = window->window();
  std::vector<QWidget*> stops;
  QSet<QWidget*> seen;
  const int limit = int(window->findChildren<QWidget*>().size()) + 2;
  QWidget* w = window;
  for (int steps = 0; steps < limit; ++steps) {
    w = w->nextInFocusChain();
    if (!w || w == window) break;
    if (!acceptsTab(w, window)) continue;
    QWidget* target = resolveProxy(w);
    if (!acceptsTab(target, window) || seen.contains(target)) continue;
    seen.insert(target);
    stops.push_back(target);
  }
  return stops;
}

inline std::vector<std::string> auditFocusChain(QWidget* root) {
  using namespace a11y_detail;
  std::vector<std::string> out;
  QWidget* window = root->window();
  const int limit = int(window->findChildren<QWidget*>().size()) + 2;

  QSet<QWidget*> reached;
  QWidget* w = window;
  bool closed = false;
  for (int steps = 0; steps < limit; ++steps) {
    w = w->nextInFocusChain();
    if (!w) break;
    if (w == window) {
      closed = true;
      break;
    }
    reached.insert(w);
    if (QWidget* target = resolveProxy(w)) reached.insert(target);
  }
  if (!closed)
    out.push_back(
        (QStringLiteral("the focus chain does not come back to ") + describeWidget(window))
            .toStdString());

  for (QWidget* stop : tabStops(window)) {
    if ((stop == root || root->isAncestorOf(stop)) && keepsTab(stop))
      out.push_back((QStringLiteral("Tab stays inside ") + describeWidget(stop)).toStdString());
  }

  QList<QWidget*> all = root->findChildren<QWidget*>();
  if (root != window) all.prepend(root);
  for (QWidget* d : all) {
    if (!acceptsTab(d, window)) continue;
    QWidget* target = resolveProxy(d);
    if (!acceptsTab(target, window)) continue;
    if (reached.contains(d) || reached.contains(target)) continue;
    out.push_back((QStringLiteral("Tab never reaches ") + describeWidget(d)).toStdString());
  }
  return out;
}

// For test failure messages: one problem per line.
inline std::string joinProblems(const std::vector<std::string>& problems) {
  std::string s;
  for (const std::string& p : problems) s += p + '\n';
  return s;
}

// The letter after '&' of a menu text, lower case; 0 when there is none.
inline QChar mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return QChar();
}

}  // namespace karvel::test
