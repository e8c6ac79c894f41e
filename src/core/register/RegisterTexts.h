// SPDX-License-Identifier: GPL-3.0-or-later
// The five-language texts of the site register's messages (French, English,
// German, Spanish, Italian). %1 is always the register file or the result
// named first.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::registertext {

// %1 the register file, %2 the reason (one of the k*Reason texts or the
// database's own words).
inline constexpr Text5 kCannotOpen = {
    "Le registre %1 ne peut pas être ouvert : %2", "The register %1 cannot be opened: %2",
    "Das Register %1 kann nicht geöffnet werden: %2", "No se puede abrir el registro %1: %2",
    "Impossibile aprire il registro %1: %2"};
inline constexpr Text5 kForeignReason = {
    "ce n'est pas une base SQLite", "it is not an SQLite database", "es ist keine SQLite-Datenbank",
    "no es una base de datos SQLite", "non è un database SQLite"};
inline constexpr Text5 kOtherProgramReason = {
    "c'est une base SQLite d'un autre programme, pas un registre KARVEL",
    "it is an SQLite database of another program, not a KARVEL register",
    "es ist eine SQLite-Datenbank eines anderen Programms, kein KARVEL-Register",
    "es una base de datos SQLite de otro programa, no un registro KARVEL",
    "è un database SQLite di un altro programma, non un registro KARVEL"};
// %1 the problem the database reports.
inline constexpr Text5 kDamagedReason = {
    "le fichier est endommagé (%1)", "the file is damaged (%1)", "die Datei ist beschädigt (%1)",
    "el fichero está dañado (%1)", "il file è danneggiato (%1)"};
// %1 the file's schema version, %2 the newest this program reads.
inline constexpr Text5 kNewerReason = {
    "il a été écrit par une version plus récente de KARVEL (schéma %1, celle-ci lit "
    "jusqu'au %2) ; il n'a pas été modifié",
    "it was written by a newer version of KARVEL (schema %1, this one reads up to %2); it was "
    "left unchanged",
    "es wurde von einer neueren KARVEL-Version geschrieben (Schema %1, diese liest bis %2); es "
    "blieb unverändert",
    "fue escrito por una versión más reciente de KARVEL (esquema %1, esta lee hasta el %2); no "
    "se ha modificado",
    "è stato scritto da una versione più recente di KARVEL (schema %1, questa legge fino al %2); "
    "non è stato modificato"};

// %1 the register file, %2 the reason. Nothing of the operation was kept.
inline constexpr Text5 kCannotWrite = {
    "Le registre %1 n'a pas pu être écrit : %2\nIl garde ce qu'il avait.",
    "The register %1 could not be written: %2\nIt keeps what it had.",
    "Das Register %1 konnte nicht geschrieben werden: %2\nEs behält, was es hatte.",
    "No se ha podido escribir el registro %1: %2\nConserva lo que tenía.",
    "Impossibile scrivere il registro %1: %2\nConserva ciò che aveva."};
inline constexpr Text5 kBusyReason = {
    "il est resté occupé par un autre programme", "another program kept it busy",
    "ein anderes Programm hielt es belegt", "otro programa lo mantuvo ocupado",
    "un altro programma lo ha tenuto occupato"};

// %1 the file, %2 the result's number, %3 the site, %4 the segment.
inline constexpr Text5 kAlreadyFiled = {"%1 est déjà dans le registre : résultat %2 (%3 / %4).",
                                        "%1 is already in the register: result %2 (%3 / %4).",
                                        "%1 ist schon im Register: Ergebnis %2 (%3 / %4).",
                                        "%1 ya está en el registro: resultado %2 (%3 / %4).",
                                        "%1 è già nel registro: risultato %2 (%3 / %4)."};
// %1 the file.
inline constexpr Text5 kNotAResult = {
    "%1 n'est pas un fichier de résultat (aucune marque de résultat)",
    "%1 is not a result file (no result markers found)",
    "%1 ist keine Ergebnisdatei (keine Ergebnismarken gefunden)",
    "%1 no es un fichero de resultado (no hay marcas de resultado)",
    "%1 non è un file di risultato (nessun marcatore di risultato)"};
// %1 the file, %2 its bus, %3 the segment, %4 the segment's bus.
inline constexpr Text5 kOtherBus = {
    "%1 est un résultat du bus « %2 », le segment %3 porte « %4 »",
    "%1 is a result of the bus \"%2\"; the segment %3 carries \"%4\"",
    "%1 ist ein Ergebnis des Busses „%2“; das Segment %3 trägt „%4“",
    "%1 es un resultado del bus «%2»; el segmento %3 lleva «%4»",
    "%1 è un risultato del bus «%2»; il segmento %3 porta «%4»"};
// %1 the site or segment name that is missing.
inline constexpr Text5 kNameNeeded = {"Un site et un segment sont nécessaires (non vides)",
                                      "A site and a segment are needed (not empty)",
                                      "Ein Standort und ein Segment sind nötig (nicht leer)",
                                      "Se necesitan un emplazamiento y un segmento (no vacíos)",
                                      "Servono un sito e un segmento (non vuoti)"};
// %1 the result's number.
inline constexpr Text5 kNoSuchResult = {
    "Le registre n'a pas de résultat %1", "The register has no result %1",
    "Das Register hat kein Ergebnis %1", "El registro no tiene el resultado %1",
    "Il registro non ha il risultato %1"};
// %1 the site, %2 the segment.
inline constexpr Text5 kNoSuchSegment = {
    "Le registre n'a pas de segment %2 sur le site %1",
    "The register has no segment %2 at the site %1",
    "Das Register hat kein Segment %2 am Standort %1",
    "El registro no tiene el segmento %2 en el emplazamiento %1",
    "Il registro non ha il segmento %2 nel sito %1"};
// %1 the site, %2 the segment.
inline constexpr Text5 kNoBaseline = {"Le segment %2 du site %1 n'a pas de référence",
                                      "The segment %2 of the site %1 has no baseline",
                                      "Das Segment %2 des Standorts %1 hat keine Referenz",
                                      "El segmento %2 del emplazamiento %1 no tiene referencia",
                                      "Il segmento %2 del sito %1 non ha un riferimento"};
// %1 the result's number, %2 its file: its stored bytes no longer match its hash.
inline constexpr Text5 kStoredFileChanged = {
    "Le fichier du résultat %1 (%2) ne correspond plus à son empreinte",
    "The file of result %1 (%2) no longer matches its hash",
    "Die Datei des Ergebnisses %1 (%2) passt nicht mehr zu ihrem Hash",
    "El fichero del resultado %1 (%2) ya no coincide con su huella",
    "Il file del risultato %1 (%2) non corrisponde più alla sua impronta"};
// %1 the backup file.
inline constexpr Text5 kBackupExists = {
    "%1 existe déjà : la copie n'écrit pas par-dessus un fichier",
    "%1 already exists: the copy does not write over a file",
    "%1 existiert schon: die Kopie schreibt nicht über eine Datei",
    "%1 ya existe: la copia no escribe encima de un fichero",
    "%1 esiste già: la copia non scrive sopra un file"};
// %1 the backup file, %2 the reason.
inline constexpr Text5 kBackupFailed = {
    "La copie du registre dans %1 a échoué : %2", "The copy of the register into %1 failed: %2",
    "Die Kopie des Registers nach %1 ist fehlgeschlagen: %2",
    "La copia del registro en %1 ha fallado: %2", "La copia del registro in %1 non è riuscita: %2"};

// The register's windows: the register window, "File in register ...", the
// technician's name and the import dialog's offer. "__" marks a mnemonic.
inline constexpr Text5 kMenuRegister = {"Re__gistre ...", "Re__gister ...", "Re__gister ...",
                                        "Regis__tro ...", "Re__gistro ..."};
inline constexpr Text5 kMenuFileInRegister = {
    "__Classer dans le registre ...", "File in re__gister ...", "Im Register __ablegen ...",
    "__Archivar en el registro ...", "__Archivia nel registro ..."};
// %1 the register file.
inline constexpr Text5 kWindowTitle = {"Registre des sites - %1", "Site register - %1",
                                       "Standortregister - %1", "Registro de emplazamientos - %1",
                                       "Registro dei siti - %1"};
inline constexpr Text5 kResultsMenu = {"__Résultats", "__Results", "__Ergebnisse", "__Resultados",
                                       "__Risultati"};
inline constexpr Text5 kOpenResult = {"__Ouvrir le résultat", "__Open result", "Ergebnis ö__ffnen",
                                      "__Abrir resultado", "__Apri risultato"};
inline constexpr Text5 kCompareSelected = {"__Comparer la sélection", "__Compare selected",
                                           "Auswahl __vergleichen", "__Comparar selección",
                                           "__Confronta selezione"};
inline constexpr Text5 kCompareSinceBaseline = {
    "Comparer __depuis la référence", "Compare since __baseline", "Seit __Referenz vergleichen",
    "Comparar desde la re__ferencia", "Confronta dal ri__ferimento"};
inline constexpr Text5 kMakeBaseline = {"Défi__nir comme référence", "__Make baseline",
                                        "Als Referenz __setzen", "__Marcar como referencia",
                                        "__Imposta come riferimento"};
inline constexpr Text5 kCloseWindow = {"__Fermer", "C__lose", "S__chließen", "C__errar",
                                       "C__hiudi"};
inline constexpr Text5 kTreeName = {"Sites et segments", "Sites and segments",
                                    "Standorte und Segmente", "Emplazamientos y segmentos",
                                    "Siti e segmenti"};
inline constexpr Text5 kAllSites = {"Tous les sites", "All sites", "Alle Standorte",
                                    "Todos los emplazamientos", "Tutti i siti"};
inline constexpr Text5 kListName = {"Résultats classés", "Filed results", "Abgelegte Ergebnisse",
                                    "Resultados archivados", "Risultati archiviati"};
// The list's columns.
inline constexpr Text5 kColumnDate = {"Date", "Date", "Datum", "Fecha", "Data"};
inline constexpr Text5 kColumnVerdict = {"Verdict", "Verdict", "Urteil", "Veredicto", "Esito"};
inline constexpr Text5 kColumnBaseline = {"Référence", "Baseline", "Referenz", "Referencia",
                                          "Riferimento"};
inline constexpr Text5 kColumnTechnician = {"Technicien", "Technician", "Techniker", "Técnico",
                                            "Tecnico"};
inline constexpr Text5 kColumnNote = {"Note", "Note", "Notiz", "Nota", "Nota"};
inline constexpr Text5 kColumnSite = {"Site", "Site", "Standort", "Emplazamiento", "Sito"};
inline constexpr Text5 kColumnSegment = {"Segment", "Segment", "Segment", "Segmento", "Segmento"};
inline constexpr Text5 kColumnFile = {"Fichier", "File", "Datei", "Fichero", "File"};
// The date of a result that writes none: the file's time, said to be that.
inline constexpr Text5 kFileTimeMark = {"%1 (heure du fichier)", "%1 (file time)", "%1 (Dateizeit)",
                                        "%1 (hora del fichero)", "%1 (ora del file)"};
// The search fields' labels.
inline constexpr Text5 kSearchText = {"Texte :", "Text:", "Text:", "Texto:", "Testo:"};
inline constexpr Text5 kSearchBus = {"Bus :", "Bus:", "Bus:", "Bus:", "Bus:"};
inline constexpr Text5 kSearchFrom = {"Du :", "From:", "Von:", "Desde:", "Dal:"};
inline constexpr Text5 kSearchTo = {"Au :", "To:", "Bis:", "Hasta:", "Al:"};
inline constexpr Text5 kSearchVerdict = {
    "Verdict :", "Verdict:", "Urteil:", "Veredicto:", "Esito:"};
inline constexpr Text5 kAnyBus = {"Tous les bus", "Any bus", "Jeder Bus", "Cualquier bus",
                                  "Qualsiasi bus"};
inline constexpr Text5 kAnyVerdict = {"Tous les verdicts", "Any verdict", "Jedes Urteil",
                                      "Cualquier veredicto", "Qualsiasi esito"};
inline constexpr Text5 kAnyDate = {"(toute date)", "(any date)", "(jedes Datum)",
                                   "(cualquier fecha)", "(qualsiasi data)"};
// %1 how many results the list shows.
inline constexpr Text5 kCount = {"%1 résultat(s)", "%1 result(s)", "%1 Ergebnis(se)",
                                 "%1 resultado(s)", "%1 risultato/i"};
inline constexpr Text5 kChooseResult = {
    "Choisissez d'abord un résultat dans la liste.", "Choose a result in the list first.",
    "Wählen Sie zuerst ein Ergebnis in der Liste.", "Elija primero un resultado de la lista.",
    "Scegliere prima un risultato nell'elenco."};
inline constexpr Text5 kChooseSegment = {
    "Choisissez d'abord un segment dans l'arbre, ou un de ses résultats.",
    "Choose a segment in the tree, or one of its results, first.",
    "Wählen Sie zuerst ein Segment im Baum oder eines seiner Ergebnisse.",
    "Elija primero un segmento en el árbol, o uno de sus resultados.",
    "Scegliere prima un segmento nell'albero, o uno dei suoi risultati."};
inline constexpr Text5 kChooseSameSegment = {
    "Une référence se choisit dans un segment : choisissez un seul résultat.",
    "A baseline belongs to one segment: choose a single result.",
    "Eine Referenz gehört zu einem Segment: wählen Sie ein einziges Ergebnis.",
    "Una referencia pertenece a un segmento: elija un solo resultado.",
    "Un riferimento appartiene a un segmento: scegliere un solo risultato."};
inline constexpr Text5 kRegisterWord = {"Registre", "Register", "Register", "Registro", "Registro"};
// %1 the site, %2 the segment, %3 the baseline's file, %4 its date, %5 the new one's file.
inline constexpr Text5 kReplaceBaseline = {
    "Le segment %1 / %2 a déjà une référence : %3 du %4.\nLa remplacer par %5 ?",
    "The segment %1 / %2 already has a baseline: %3 of %4.\nReplace it with %5?",
    "Das Segment %1 / %2 hat schon eine Referenz: %3 vom %4.\nSie durch %5 ersetzen?",
    "El segmento %1 / %2 ya tiene una referencia: %3 del %4.\n¿Sustituirla por %5?",
    "Il segmento %1 / %2 ha già un riferimento: %3 del %4.\nSostituirlo con %5?"};
inline constexpr Text5 kReplaceButton = {"Remplacer", "Replace", "Ersetzen", "Sustituir",
                                         "Sostituisci"};
inline constexpr Text5 kCancelButton = {"Annuler", "Cancel", "Abbrechen", "Cancelar", "Annulla"};
// The technician's name, asked once.
inline constexpr Text5 kTechnicianTitle = {"Technicien", "Technician", "Techniker", "Técnico",
                                           "Tecnico"};
inline constexpr Text5 kTechnicianQuestion = {
    "Votre nom, classé avec chaque résultat (demandé une seule fois) :",
    "Your name, filed with every result (asked only once):",
    "Ihr Name, mit jedem Ergebnis abgelegt (nur einmal gefragt):",
    "Su nombre, archivado con cada resultado (se pregunta una sola vez):",
    "Il vostro nome, archiviato con ogni risultato (chiesto una sola volta):"};
// The "File in register" dialog.
inline constexpr Text5 kFileDialogTitle = {"Classer dans le registre", "File in register",
                                           "Im Register ablegen", "Archivar en el registro",
                                           "Archivia nel registro"};
inline constexpr Text5 kFileWhat = {
    "Résultat :", "Result:", "Ergebnis:", "Resultado:", "Risultato:"};
inline constexpr Text5 kFileSite = {
    "__Site :", "__Site:", "__Standort:", "__Emplazamiento:", "__Sito:"};
inline constexpr Text5 kFileSegment = {
    "Se__gment :", "Se__gment:", "Se__gment:", "Se__gmento:", "Se__gmento:"};
inline constexpr Text5 kFileNote = {"__Note :", "__Note:", "__Notiz:", "__Nota:", "__Nota:"};
inline constexpr Text5 kFileButton = {"Classer", "File", "Ablegen", "Archivar", "Archivia"};
// %1 the file, %2 the result's number, %3 the site, %4 the segment.
inline constexpr Text5 kFiled = {"%1 est classé dans le registre : résultat %2 (%3 / %4).",
                                 "%1 is filed in the register: result %2 (%3 / %4).",
                                 "%1 ist im Register abgelegt: Ergebnis %2 (%3 / %4).",
                                 "%1 está archivado en el registro: resultado %2 (%3 / %4).",
                                 "%1 è archiviato nel registro: risultato %2 (%3 / %4)."};
// %1 the file's date in the register.
inline constexpr Text5 kFiledDate = {"Date du résultat : %1", "Result date: %1",
                                     "Datum des Ergebnisses: %1", "Fecha del resultado: %1",
                                     "Data del risultato: %1"};
// The import dialog's offer; %1 the fetched file.
inline constexpr Text5 kOfferFiling = {
    "Classer %1 dans le registre des sites ?", "File %1 in the site register?",
    "%1 im Standortregister ablegen?", "¿Archivar %1 en el registro de emplazamientos?",
    "Archiviare %1 nel registro dei siti?"};
inline constexpr Text5 kOfferYes = {"Classer ...", "File ...", "Ablegen ...", "Archivar ...",
                                    "Archivia ..."};
inline constexpr Text5 kOfferNo = {"Pas maintenant", "Not now", "Jetzt nicht", "Ahora no",
                                   "Non ora"};

// %1 the register file: a command that only reads does not make one.
inline constexpr Text5 kNoRegister = {"Il n'y a pas de registre %1", "There is no register %1",
                                      "Es gibt kein Register %1", "No existe el registro %1",
                                      "Non esiste il registro %1"};

}  // namespace karvel::registertext
