// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/ComboBoxNames.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace karvel::ui {

namespace {

class AccessibleComboBox : public QAccessibleWidget {
 public:
  explicit AccessibleComboBox(QWidget* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

  QComboBox* box() const { return static_cast<QComboBox*>(object()); }

  int childCount() const override { return box()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->isEditable())
      return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->isEditable() && child->object() == box()->lineEdit()) return 1;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    if (box()->isEditable() && box()->lineEdit()->rect().contains(x, y)) return child(1);
    return nullptr;
  }
  // The typed line is where the keys go in an editable combo box.
  QAccessibleInterface* focusChild() const override {
    return box()->isEditable() ? child(1) : nullptr;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value)
      return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    // Name: the accessible name, else the buddy label's words (QAccessibleWidget).
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  QString localizedActionDescription(const QString& action) const override {
    if (action == showMenuAction() || action == pressAction())
      return QComboBox::tr("Open the combo box selection popup");
    return {};
  }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible())
      box()->hidePopup();
    else
      box()->showPopup();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* comboBoxFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QComboBox") || !object || !object->isWidgetType()) return nullptr;
  auto* box = qobject_cast<QComboBox*>(object);
  return box ? new AccessibleComboBox(box) : nullptr;
}

}  // namespace

void nameComboBoxesByLabel() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(comboBoxFactory);
}

}  // namespace karvel::ui
