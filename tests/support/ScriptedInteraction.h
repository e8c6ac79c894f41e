// SPDX-License-Identifier: GPL-3.0-or-later
// An Interaction for tests: it records every message and question and answers
// from queues that the test fills beforehand.
#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <stdexcept>

#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"

namespace karvel::test {

class ScriptedInteraction : public Interaction {
 public:
  struct Shown {
    QString title;
    QString text;
  };

  QList<Shown> messages;
  QList<Shown> questions;
  QQueue<int> answers;            // button indexes for ask()
  QQueue<FileChoice> files;       // answers for chooseFile()
  QQueue<QStringList> fileLists;  // answers for chooseFiles()
  QList<FileRequest> fileRequests;
  QQueue<QString> folders;  // answers for chooseFolder()
  // Answers for askText(); an empty queue answers as Cancel would.
  QQueue<std::optional<QString>> texts;
  QList<Shown> textQuestions;        // title and label of each askText()
  QQueue<int> languages;             // answers for chooseLanguage()
  QQueue<bool> printAnswers;         // answers for choosePrinter()
  PrintChoice printReply;            // copied into the choice when accepted
  QList<PrintChoice> printRequests;  // what each choosePrinter() was handed
  QList<QUrl> opened;
  bool openSucceeds = true;  // what openExternally() answers: false, no desktop viewer
  int busyDepth = 0;
  int busyCalls = 0;
  int defaultAnswer = -1;  // used when `answers` is empty; -1 throws
  // The dialog owner (Interaction::dialogOwner) at each message, question,
  // file, folder and print dialog, in order.
  QList<QObject*> owners;

  void message(const QString& title, const QString& text) override {
    messages.append({title, text});
    owners.append(dialogOwner());
  }
  int ask(const QString& title, const QString& text, const QStringList&, int, int) override {
    questions.append({title, text});
    owners.append(dialogOwner());
    if (answers.isEmpty()) {
      if (defaultAnswer >= 0) return defaultAnswer;
      throw std::runtime_error("unexpected question: " + text.toStdString());
    }
    return answers.dequeue();
  }
  FileChoice chooseFile(const FileRequest& request) override {
    fileRequests.append(request);
    owners.append(dialogOwner());
    return files.isEmpty() ? FileChoice{} : files.dequeue();
  }
  QStringList chooseFiles(const FileRequest& request) override {
    fileRequests.append(request);
    owners.append(dialogOwner());
    return fileLists.isEmpty() ? QStringList() : fileLists.dequeue();
  }
  std::optional<QString> askText(const QString& title, const QString& label,
                                 const QString&) override {
    textQuestions.append({title, label});
    owners.append(dialogOwner());
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
  }
  QString chooseFolder(const QString&, const QString&) override {
    owners.append(dialogOwner());
    return folders.isEmpty() ? QString() : folders.dequeue();
  }
  bool choosePrinter(PrintChoice& choice) override {
    printRequests.append(choice);
    owners.append(dialogOwner());
    const bool accept = printAnswers.isEmpty() ? false : printAnswers.dequeue();
    if (accept) choice = printReply;
    return accept;
  }
  int chooseLanguage() override {
    if (languages.isEmpty()) throw std::runtime_error("unexpected language chooser");
    return languages.dequeue();
  }
  void setBusy(bool busy) override {
    busyDepth += busy ? 1 : -1;
    ++busyCalls;
  }
  bool openExternally(const QUrl& url) override {
    opened.append(url);
    return openSucceeds;
  }

  QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
};

// A clock that only adds up the waits asked of it.
class RecordingClock : public Clock {
 public:
  QList<int> waits;
  void wait(int milliseconds) override { waits.append(milliseconds); }
  int total() const {
    int sum = 0;
    for (int w : waits) sum += w;
    return sum;
  }
};

}  // namespace karvel::test
