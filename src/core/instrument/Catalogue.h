// SPDX-License-Identifier: GPL-3.0-or-later
// Listing the files of one kind that each store of the instrument holds,
// through the open session in AppState.
#pragma once

#include <QByteArray>
#include <QList>

#include "core/instrument/FileStore.h"

#include "io/VisaTypes.h"

namespace karvel::io {
class Visa;
}

namespace karvel {

struct AppState;

// One catalogue reply with the read settings in effect, read on past the
// maximum count when it is longer, and on past a carriage return that the
// rest of the reply follows at once (one inside a file's name). The listing,
// the fetch and the send all read their catalogues with it.
io::ViStatus readCatalogueReply(io::Visa& v, io::ViSession vi, QByteArray* out);

// Appends to `list` the files of `kind` of every store of the instrument.
// Always 0.
int RetourneCatalogue(AppState& state, int kind, QList<CatalogueEntry>& list);

// Appends to `list` the names of `kind` found in one catalogue text, each
// with `store`. Always 0.
int AfficheCatalog(int kind, const QByteArray& catalogue, char separator, int store,
                   QList<CatalogueEntry>& list);

}  // namespace karvel
