// SPDX-License-Identifier: GPL-3.0-or-later
// The register window when the register is shared: a server that cannot be
// reached is told once and the local register shown with a status line,
// results not yet shared are marked in words, and a baseline changed by
// another program since the list was read is not overwritten.
#include <gtest/gtest.h>

#include <QLabel>

#include "RegisterUiFixture.h"
#include "core/register/RegisterTexts.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::RegisterEntryModel;
using karvel::ui::RegisterWindow;

namespace {
using RegisterSharing = RegisterUi;
}  // namespace

TEST_F(RegisterSharing, AnUnreachableServerIsToldOnceAndTheLocalRegisterShowsWhatWaits) {
  // The local register is the portable program's: in the scratch folder.
  state.programDir = dir.path();
  const QString server =
      QStringLiteral("postgresql://ana@/karvel?host=%1/nosocket&port=5999").arg(dir.path());
  state.registerPath = dir.filePath("register.sqlite");
  file("North", "A", 1);  // shared long ago (a local result of no server)
  {
    Register local;
    QString error;
    ASSERT_TRUE(local.open(dir.filePath("register.sqlite"), English, &error));
    local.setPendingServer("ana@" + dir.path() + "/nosocket:5999/karvel");
    RegisterAddRequest r;
    r.site = "North";
    r.segment = "A";
    r.fileName = "R2.HTM";
    r.bytes = resultBytes("52.2", dateLine(2));
    ASSERT_TRUE(local.add(r, &error)) << error.toStdString();
  }
  state.registerPath = server;
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.lastMessage().contains("cannot be reached")) << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.lastMessage().contains("ana@")) << "names the server";
  EXPECT_TRUE(w->statusLine()->isVisible());
  EXPECT_TRUE(w->statusLine()->text().startsWith("Offline:"));
  EXPECT_EQ(column(*w, RegisterEntryModel::Shared), (QStringList{"not yet shared", ""}));
  EXPECT_EQ(w->model()->index(0, RegisterEntryModel::Shared).data(Qt::AccessibleTextRole),
            "not yet shared");
  EXPECT_EQ(w->model()->headerData(RegisterEntryModel::Shared, Qt::Horizontal, Qt::DisplayRole),
            "Sharing");

  // Opened again in the same run: no second message.
  w->close();
  delete w;
  w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(w->statusLine()->isVisible());
}

TEST_F(RegisterSharing, ABaselineChangedElsewhereSinceTheListWasReadIsNotOverwritten) {
  const qint64 first = file("North", "A", 1);
  file("North", "A", 3);
  state.technician = "Ana Ruiz";
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->selectSegment("North", "A");
  {
    Register other;  // another technician's program on the same register
    QString error;
    ASSERT_TRUE(other.open(state.registerPath, English, &error));
    other.setTechnician("Ben Okafor");
    ASSERT_TRUE(other.setBaseline(first, &error)) << error.toStdString();
  }
  w->selectRows({0});  // day 3, the newest
  EXPECT_FALSE(w->makeBaseline());
  EXPECT_TRUE(ui.lastMessage().contains("changed by Ben Okafor")) << ui.lastMessage().toStdString();
  EXPECT_EQ(column(*w, RegisterEntryModel::Baseline), (QStringList{"", "Baseline"}))
      << "the list shows the change that stands";
  w->selectRows({0});
  ui.answers.enqueue(0);  // Replace, now knowing the baseline
  EXPECT_TRUE(w->makeBaseline());
  EXPECT_EQ(column(*w, RegisterEntryModel::Baseline), (QStringList{"Baseline", ""}));
}
