// SPDX-License-Identifier: GPL-3.0-or-later
// Listing the files of one kind that the instrument's stores hold.
#include "core/instrument/Catalogue.h"
#include "core/frame/AppState.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/ScpiCommands.h"
#include "io/Visa.h"

namespace karvel {

using namespace io;

namespace {

constexpr int kErrorReplyMax = 100;
// The list shows names of at most this many characters. The instrument's own
// names are far shorter (32 at most), so a longer stretch before an extension
// is not a file name: it is left out rather than shown cut.
constexpr qsizetype kCatalogueNameMax = 49;

// Catalogue reads end on the carriage return only, and may take a while.
void catalogueReads(Visa& v, ViSession vi) {
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kCatalogueTimeoutMs);
}

}  // namespace

ViStatus readCatalogueReply(Visa& v, ViSession vi, QByteArray* out) {
  ViStatus status = v.viRead(vi, out, kTransferBufferSize);
  for (;;) {
    // Read on past the maximum count, and past a piece that a socket handed
    // over before its carriage return came (a send reads its catalogues
    // without the termination character).
    const bool full = status == VI_SUCCESS_MAX_CNT;
    const bool piece =
        status == VI_SUCCESS && !out->isEmpty() && !out->endsWith('\r') && !out->endsWith('\n');
    if ((!full && !piece) || out->size() >= kMaxBlockLength) break;
    QByteArray more;
    const ViStatus next = v.viRead(vi, &more, kTransferBufferSize);
    out->append(more);
    if (piece && next < VI_SUCCESS) break;  // what came is all there is
    status = next;
  }
  if (status != VI_SUCCESS) return status;
  // A carriage return inside a file's name ends the read early; the rest of
  // the reply follows at once. Left unread, it would be taken for the reply
  // to the next command, and every reply after it would be one late.
  ViAttrState timeout = kCatalogueTimeoutMs;
  v.viGetAttribute(vi, VI_ATTR_TMO_VALUE, &timeout);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kCatalogueTailMs);
  for (;;) {
    QByteArray more;
    const ViStatus next = v.viRead(vi, &more, kTransferBufferSize);
    out->append(more);
    if (more.isEmpty() || next < VI_SUCCESS || out->size() >= kMaxBlockLength) break;
  }
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, timeout);
  // The quiet that ended the tail is no failure of the link.
  v.clearLastFailure();
  return status;
}

int AfficheCatalog(int kind, const QByteArray& catalogue, char separator, int store,
                   QList<CatalogueEntry>& list) {
  const QByteArray extension = kind == kKindBus ? ".bus" : ".htm";
  const QByteArray lower = catalogue.toLower();
  if (kind == kKindResult && !lower.contains(extension)) return 0;
  qsizetype p = 0;
  for (;;) {
    const qsizetype at = lower.indexOf(extension, p + 1);
    if (at < 0) break;
    p = at;
    // The name starts after the last separator before the extension; only
    // the bytes that a listed name can span are looked at, so a text without
    // separators costs no more than its length.
    const qsizetype window = std::min(at, kCatalogueNameMax - extension.size() + 1);
    const qsizetype s =
        QByteArrayView(catalogue.constData() + at - window, window).lastIndexOf(separator);
    const qsizetype start = s < 0 ? 0 : at - window + s + 1;
    if (at + extension.size() - start > kCatalogueNameMax) continue;  // not a name: not listed
    list.append({fromInstrument(catalogue.mid(start, at + extension.size() - start)), store});
  }
  return 0;
}

int RetourneCatalogue(AppState& state, int kind, QList<CatalogueEntry>& list) {
  if (!state.visa) return -1;
  Visa& v = *state.visa;
  const ViSession vi = state.session;
  ViStatus status = VI_SUCCESS;
  // A cancel ends the listing under way at once (its read gives up) and is
  // heard between two stores, so that the instrument is left on its
  // internal memory.
  operationSay(state, pick(text::kActivityMemoryCatalogue, state.language));
  if (state.instrumentModel == kModelRQ4102) {
    v.viWrite(vi, QByteArray(scpi::kListCatalogue).replace("%s", "LOCAL"));
    catalogueReads(v, vi);
    QByteArray local;
    status = readCatalogueReply(v, vi, &local);
    AfficheCatalog(kind, local, ',', 0, list);
    if (kind == kKindBus && status >= VI_SUCCESS && !operationCancelled(state)) {
      operationSay(state, pick(text::kActivityCardCatalogue, state.language));
      v.viWrite(vi, QByteArray(scpi::kListSecondStore));
      QByteArray second;
      readCatalogueReply(v, vi, &second);
      AfficheCatalog(kind, second, ',', 1, list);
    }
  } else {
    const QByteArray folder = kind == kKindBus ? scpi::kListBusLimits : scpi::kListResults;
    v.viWrite(vi, QByteArray(scpi::kListStorage).replace("%s", "LOCAL"));
    v.viWrite(vi, folder);
    v.viWrite(vi, QByteArray(scpi::kListCatalogue).replace("%s", "LOCAL"));
    catalogueReads(v, vi);
    QByteArray local;
    status = readCatalogueReply(v, vi, &local);
    AfficheCatalog(kind, local, ',', 0, list);
    if (status >= VI_SUCCESS && !operationCancelled(state)) {
      operationSay(state, pick(text::kActivityCardCatalogue, state.language));
      v.viWrite(vi, QByteArray(scpi::kListStorage).replace("%s", "SDCARD"));
      v.viWrite(vi, folder);
      v.viWrite(vi, QByteArray(scpi::kListClear));
      v.viWrite(vi, QByteArray(scpi::kListSdCatalogue));
      QByteArray card;
      readCatalogueReply(v, vi, &card);
      v.viWrite(vi, QByteArray(scpi::kListErrorQuery));
      QByteArray error;
      v.viRead(vi, &error, kErrorReplyMax);
      if (!error.contains("-200,")) AfficheCatalog(kind, card, ',', 1, list);
      v.viWrite(vi, QByteArray(scpi::kListStorage).replace("%s", "LOCAL"));
    }
  }
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
  // An instrument that does not answer the first catalogue at all is a
  // communication failure, not an empty store.
  return status < VI_SUCCESS ? status : 0;
}

}  // namespace karvel
