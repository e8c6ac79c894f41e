// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the help documents and of the program's own document viewer, in
// the order of the language index (French, English, German, Spanish, Italian).
#pragma once

#include "core/frame/Texts.h"

namespace karvel::text {

// ---- Help documents and the document viewer --------------------------------
// The title of the help messages and of the viewer's window.
inline constexpr Text5 kHelpWord{"Aide", "Help", "Hilfe", "Ayuda", "Aiuto"};
// %1 the full path of the document looked for.
inline constexpr Text5 kHelpMissing{
    "Le document d'aide est introuvable :\n%1", "The help document cannot be found:\n%1",
    "Das Hilfedokument wurde nicht gefunden:\n%1", "No se encuentra el documento de ayuda:\n%1",
    "Impossibile trovare il documento della guida:\n%1"};
// Neither the desktop nor the program's own viewer can show it; %1 the path.
inline constexpr Text5 kHelpNoViewer{"Aucun programme ne peut afficher le document d'aide\n%1",
                                     "No program can show the help document\n%1",
                                     "Kein Programm kann das Hilfedokument anzeigen\n%1",
                                     "Ningún programa puede mostrar el documento de ayuda\n%1",
                                     "Nessun programma può mostrare il documento della guida\n%1"};
// %1 the path, %2 one of the three reasons below.
inline constexpr Text5 kHelpNotShown{"Le document d'aide\n%1\nne peut pas être affiché : %2",
                                     "The help document\n%1\ncannot be shown: %2",
                                     "Das Hilfedokument\n%1\nkann nicht angezeigt werden: %2",
                                     "El documento de ayuda\n%1\nno se puede mostrar: %2",
                                     "Il documento della guida\n%1\nnon può essere mostrato: %2"};
inline constexpr Text5 kPdfDamaged{
    "ce n'est pas un document PDF lisible.", "it is not a readable PDF document.",
    "es ist kein lesbares PDF-Dokument.", "no es un documento PDF legible.",
    "non è un documento PDF leggibile."};
inline constexpr Text5 kPdfLocked{
    "il est protégé par un mot de passe.", "it is protected by a password.",
    "es ist durch ein Passwort geschützt.", "está protegido con una contraseña.",
    "è protetto da una password."};
inline constexpr Text5 kPdfUnreadable{"le fichier ne peut pas être lu.", "the file cannot be read.",
                                      "die Datei kann nicht gelesen werden.",
                                      "el fichero no se puede leer.",
                                      "il file non può essere letto."};
// The viewer's buttons.
inline constexpr Text5 kViewerPrevious{"Page précédente", "Previous page", "Vorherige Seite",
                                       "Página anterior", "Pagina precedente"};
inline constexpr Text5 kViewerNext{"Page suivante", "Next page", "Nächste Seite",
                                   "Página siguiente", "Pagina successiva"};
// After the page number box; %1 the number of pages.
inline constexpr Text5 kViewerPageCount{"sur %1", "of %1", "von %1", "de %1", "di %1"};
inline constexpr Text5 kViewerZoomIn{"Zoom avant", "Zoom in", "Vergrößern", "Ampliar",
                                     "Ingrandisci"};
inline constexpr Text5 kViewerZoomOut{"Zoom arrière", "Zoom out", "Verkleinern", "Reducir",
                                      "Riduci"};
inline constexpr Text5 kViewerFitWidth{"Pleine largeur", "Fit width", "Seitenbreite",
                                       "Ajustar al ancho", "Adatta alla larghezza"};
inline constexpr Text5 kViewerClose{"Fermer", "Close", "Schließen", "Cerrar", "Chiudi"};

// ---- The viewer: what a screen reader says -----------------------------------
inline constexpr Text5 kViewerPageName{"Numéro de page", "Page number", "Seitenzahl",
                                       "Número de página", "Numero di pagina"};
inline constexpr Text5 kViewerToolbarName{"Navigation du document", "Document navigation",
                                          "Navigation im Dokument", "Navegación del documento",
                                          "Navigazione del documento"};

}  // namespace karvel::text
