// SPDX-License-Identifier: GPL-3.0-or-later
// The audit the window tests rely on finds what a screen reader or keyboard
// user would meet, and is quiet once it is put right.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include "support/AccessibilityAudit.h"

namespace {

bool mentions(const std::vector<std::string>& problems, const std::string& what,
              const std::string& object) {
  for (const std::string& p : problems)
    if (p.find(what) != std::string::npos && p.find(object) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(AccessibilityAudit, FindsUnnamedTwinsValueNamedAndTabTrapsThenNothing) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* icon = new QPushButton(&dialog);
  icon->setObjectName("iconOnly");
  icon->setIcon(QIcon(QPixmap(8, 8)));
  layout->addWidget(icon);
  QPushButton* next[2];
  for (int i = 0; i < 2; ++i) {
    auto* group = new QGroupBox(QStringLiteral("Group %1").arg(i), &dialog);
    auto* inner = new QVBoxLayout(group);
    next[i] = new QPushButton("Next >>>", group);
    next[i]->setObjectName(QStringLiteral("next%1").arg(i));
    inner->addWidget(next[i]);
    layout->addWidget(group);
  }
  auto* label = new QLabel("Store", &dialog);
  auto* combo = new QComboBox(&dialog);
  combo->setObjectName("store");
  combo->addItems({"Memory", "SD card"});
  label->setBuddy(combo);
  layout->addWidget(label);
  layout->addWidget(combo);
  auto* field = new QLineEdit(&dialog);
  field->setObjectName("unlabelled");
  layout->addWidget(field);
  QStandardItemModel model(2, 2);
  model.setHorizontalHeaderLabels({"Min.", ""});
  model.setItem(0, 0, new QStandardItem("1 V"));
  auto* status = new QStandardItem;
  status->setBackground(Qt::red);
  model.setItem(1, 1, status);
  auto* table = new QTableView(&dialog);
  table->setObjectName("limits");
  table->setModel(&model);
  layout->addWidget(table);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  auto names = karvel::test::auditAccessibility(&dialog);
  const std::string all = karvel::test::joinProblems(names);
  EXPECT_TRUE(mentions(names, "no accessible name", "iconOnly")) << all;
  EXPECT_TRUE(mentions(names, "no accessible name", "unlabelled")) << all;
  EXPECT_TRUE(mentions(names, "no accessible name", "limits")) << all;
  EXPECT_TRUE(mentions(names, "same role and name", "next1")) << all;
  EXPECT_TRUE(mentions(names, "named by its value", "store")) << all;
  EXPECT_TRUE(mentions(names, "column 1", "limits")) << all;
  EXPECT_TRUE(mentions(names, "row 1 column 1", "limits")) << all;
  auto chain = karvel::test::auditFocusChain(&dialog);
  EXPECT_TRUE(mentions(chain, "Tab stays inside", "limits")) << karvel::test::joinProblems(chain);

  icon->setAccessibleName("Refresh");
  next[0]->setAccessibleName("Next: new file for another speed");
  next[1]->setAccessibleName("Next: new file for another voltage");
  combo->setAccessibleName("Store");
  field->setAccessibleName("Title");
  table->setAccessibleName("Limits");
  table->setTabKeyNavigation(false);
  model.setHorizontalHeaderLabels({"Min.", "Status"});
  status->setData("Fail", Qt::AccessibleTextRole);
  names = karvel::test::auditAccessibility(&dialog);
  EXPECT_TRUE(names.empty()) << karvel::test::joinProblems(names);
  chain = karvel::test::auditFocusChain(&dialog);
  EXPECT_TRUE(chain.empty()) << karvel::test::joinProblems(chain);
  const std::vector<QWidget*> order = {icon, next[0], next[1], combo, field, table};
  EXPECT_EQ(karvel::test::tabStops(&dialog), order);
}
