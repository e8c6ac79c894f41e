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

// A register on a PostgreSQL server. %1 what of the address is wrong.
inline constexpr Text5 kBadServerAddress = {
    "Adresse de serveur de registre non comprise (%1) ; la forme attendue est "
    "postgresql://utilisateur@hôte:port/base",
    "The register server's address is not understood (%1); the expected form is "
    "postgresql://user@host:port/database",
    "Die Adresse des Registerservers ist unverständlich (%1); erwartet wird "
    "postgresql://benutzer@host:port/datenbank",
    "No se entiende la dirección del servidor del registro (%1); la forma esperada es "
    "postgresql://usuario@host:puerto/base",
    "Indirizzo del server del registro non compreso (%1); la forma attesa è "
    "postgresql://utente@host:porta/database"};
inline constexpr Text5 kPasswordInAddress = {
    "l'adresse contient un mot de passe : il n'est ni utilisé ni enregistré ; mettez-le dans "
    "~/.pgpass ou PGPASSWORD",
    "the address holds a password: it is neither used nor saved; put it in ~/.pgpass or "
    "PGPASSWORD",
    "die Adresse enthält ein Passwort: es wird weder benutzt noch gespeichert; tragen Sie es in "
    "~/.pgpass oder PGPASSWORD ein",
    "la dirección contiene una contraseña: no se usa ni se guarda; póngala en ~/.pgpass o "
    "PGPASSWORD",
    "l'indirizzo contiene una password: non viene usata né salvata; inseritela in ~/.pgpass o "
    "PGPASSWORD"};
inline constexpr Text5 kOneServerOnly = {"un seul serveur à la fois", "one server at a time",
                                         "nur ein Server zugleich", "un solo servidor a la vez",
                                         "un solo server alla volta"};
inline constexpr Text5 kNoServerDriver = {
    "la prise en charge de PostgreSQL demande le paquet libqt6sql6-psql (pilote QPSQL de Qt), "
    "qui n'est pas installé",
    "PostgreSQL support needs the package libqt6sql6-psql (Qt's QPSQL driver), which is not "
    "installed",
    "PostgreSQL-Unterstützung braucht das Paket libqt6sql6-psql (Qts QPSQL-Treiber), das nicht "
    "installiert ist",
    "el soporte de PostgreSQL necesita el paquete libqt6sql6-psql (controlador QPSQL de Qt), que "
    "no está instalado",
    "il supporto PostgreSQL richiede il pacchetto libqt6sql6-psql (driver QPSQL di Qt), che non "
    "è installato"};
inline constexpr Text5 kOtherDatabaseReason = {
    "cette base appartient à un autre programme, ce n'est pas un registre KARVEL",
    "this database belongs to another program, it is not a KARVEL register",
    "diese Datenbank gehört einem anderen Programm, sie ist kein KARVEL-Register",
    "esta base pertenece a otro programa, no es un registro KARVEL",
    "questo database appartiene a un altro programma, non è un registro KARVEL"};
// %1 the server, %2 libpq's cause.
inline constexpr Text5 kServerUnreachable = {
    "Le serveur du registre %1 ne peut pas être joint : %2",
    "The register server %1 cannot be reached: %2",
    "Der Registerserver %1 ist nicht erreichbar: %2",
    "No se puede contactar con el servidor del registro %1: %2",
    "Il server del registro %1 non è raggiungibile: %2"};
// %1 the server, %2 the cause.
inline constexpr Text5 kConnectionLost = {
    "La connexion au serveur du registre %1 est perdue : %2",
    "The connection to the register server %1 was lost: %2",
    "Die Verbindung zum Registerserver %1 ist verloren: %2",
    "Se ha perdido la conexión con el servidor del registro %1: %2",
    "La connessione al server del registro %1 è stata persa: %2"};
// %1 the role, %2 the server.
inline constexpr Text5 kReadOnlyRole = {
    "Le rôle %1 peut lire le registre sur %2 (lister, comparer, rapports) mais pas y classer de "
    "résultat : demandez à l'administrateur du serveur le droit d'écrire.",
    "The role %1 may read the register on %2 (list, compare, report) but not file results in "
    "it: ask the server's administrator for the right to write.",
    "Die Rolle %1 darf das Register auf %2 lesen (auflisten, vergleichen, berichten), aber keine "
    "Ergebnisse ablegen: bitten Sie den Administrator des Servers um Schreibrechte.",
    "El rol %1 puede leer el registro en %2 (listar, comparar, informes) pero no archivar "
    "resultados: pida al administrador del servidor el derecho de escritura.",
    "Il ruolo %1 può leggere il registro su %2 (elencare, confrontare, rapporti) ma non "
    "archiviarvi risultati: chiedete all'amministratore del server il diritto di scrittura."};
// %1 the site, %2 the segment, %3 who changed it, %4 when.
inline constexpr Text5 kBaselineChangedMeanwhile = {
    "La référence du segment %1 / %2 a été changée par %3 le %4, depuis votre affichage : "
    "rien n'a été modifié. Regardez la nouvelle référence, puis recommencez si besoin.",
    "The baseline of the segment %1 / %2 was changed by %3 on %4, after your view was read: "
    "nothing was changed. Look at the new baseline, then try again if need be.",
    "Die Referenz des Segments %1 / %2 wurde von %3 am %4 geändert, nachdem Ihre Ansicht "
    "gelesen wurde: nichts wurde geändert. Sehen Sie die neue Referenz an und versuchen Sie es "
    "dann bei Bedarf erneut.",
    "La referencia del segmento %1 / %2 fue cambiada por %3 el %4, después de leer su vista: no "
    "se ha cambiado nada. Mire la nueva referencia y vuelva a intentarlo si hace falta.",
    "Il riferimento del segmento %1 / %2 è stato cambiato da %3 il %4, dopo la lettura della "
    "vostra vista: nulla è stato modificato. Guardate il nuovo riferimento, poi riprovate se "
    "serve."};
// %1 the server.
inline constexpr Text5 kServerBackup = {
    "Le registre sur %1 se sauvegarde avec les outils du serveur (pg_dump)",
    "The register on %1 is backed up with the server's tools (pg_dump)",
    "Das Register auf %1 wird mit den Werkzeugen des Servers gesichert (pg_dump)",
    "El registro en %1 se respalda con las herramientas del servidor (pg_dump)",
    "Il registro su %1 si salva con gli strumenti del server (pg_dump)"};

// Working offline. %1 the local register file.
inline constexpr Text5 kWorkingOffline = {
    "Le travail continue sur le registre local %1 ; les résultats classés sont marqués « pas "
    "encore partagé » et seront envoyés quand le serveur répondra.",
    "Work goes on in the local register %1; results filed are marked \"not yet shared\" and "
    "will be sent when the server answers.",
    "Die Arbeit geht im lokalen Register %1 weiter; abgelegte Ergebnisse werden als „noch nicht "
    "geteilt“ markiert und gesendet, sobald der Server antwortet.",
    "El trabajo sigue en el registro local %1; los resultados archivados se marcan «aún no "
    "compartido» y se enviarán cuando el servidor responda.",
    "Il lavoro continua nel registro locale %1; i risultati archiviati sono segnati «non ancora "
    "condiviso» e saranno inviati quando il server risponderà."};
// %1 how many, %2 the server.
inline constexpr Text5 kSharedNow = {
    "%1 résultat(s) classé(s) hors ligne envoyé(s) au serveur %2.",
    "%1 result(s) filed offline sent to the server %2.",
    "%1 offline abgelegte(s) Ergebnis(se) an den Server %2 gesendet.",
    "%1 resultado(s) archivado(s) sin conexión enviado(s) al servidor %2.",
    "%1 risultato/i archiviato/i offline inviato/i al server %2."};
// %1 how many, %2 the server.
inline constexpr Text5 kStillPending = {"%1 résultat(s) ne sont pas encore partagés avec %2.",
                                        "%1 result(s) are not yet shared with %2.",
                                        "%1 Ergebnis(se) noch nicht mit %2 geteilt.",
                                        "%1 resultado(s) aún no compartido(s) con %2.",
                                        "%1 risultato/i non ancora condiviso/i con %2."};
// %1 the result's number in the local register, %2 its file, %3 why.
inline constexpr Text5 kNotSent = {"Le résultat local %1 (%2) n'a pas été envoyé : %3",
                                   "The local result %1 (%2) was not sent: %3",
                                   "Das lokale Ergebnis %1 (%2) wurde nicht gesendet: %3",
                                   "El resultado local %1 (%2) no se ha enviado: %3",
                                   "Il risultato locale %1 (%2) non è stato inviato: %3"};
// The list's column and its mark, and the window's status line (%1 the server).
inline constexpr Text5 kColumnShared = {"Partage", "Sharing", "Teilen", "Compartir",
                                        "Condivisione"};
inline constexpr Text5 kNotYetShared = {"pas encore partagé", "not yet shared",
                                        "noch nicht geteilt", "aún no compartido",
                                        "non ancora condiviso"};
inline constexpr Text5 kOfflineStatus = {
    "Hors ligne : %1 ne répond pas, registre local", "Offline: %1 does not answer, local register",
    "Offline: %1 antwortet nicht, lokales Register", "Sin conexión: %1 no responde, registro local",
    "Offline: %1 non risponde, registro locale"};

// Where a filed result came from. %1 the instrument's model, %2 its serial
// number.
inline constexpr Text5 kOriginInstrument = {
    "lu dans l'instrument %1 n° %2", "fetched from the instrument %1 no. %2",
    "aus dem Gerät %1 Nr. %2 geholt", "leído del instrumento %1 n.º %2",
    "letto dallo strumento %1 n. %2"};
// %1 the instrument's model (its serial number unknown).
inline constexpr Text5 kOriginInstrumentModel = {
    "lu dans l'instrument %1", "fetched from the instrument %1", "aus dem Gerät %1 geholt",
    "leído del instrumento %1", "letto dallo strumento %1"};
// %1 the file's path.
inline constexpr Text5 kOriginFile = {"classé depuis le fichier %1", "filed from the file %1",
                                      "aus der Datei %1 abgelegt", "archivado desde el fichero %1",
                                      "archiviato dal file %1"};
inline constexpr Text5 kOriginUnknown = {"provenance non enregistrée", "origin not recorded",
                                         "Herkunft nicht erfasst", "procedencia no registrada",
                                         "provenienza non registrata"};
// A result opened from the register: %1 where it came from (one of the
// kOrigin* texts), %2 its site, %3 its segment.
inline constexpr Text5 kOpenedFromRegister = {"registre, %2 / %3 : %1", "register, %2 / %3: %1",
                                              "Register, %2 / %3: %1", "registro, %2 / %3: %1",
                                              "registro, %2 / %3: %1"};

// "File in register" for a result filed before: %1 the file, %2 the result's
// number, %3 the site, %4 the segment, %5 its date.
inline constexpr Text5 kAlreadyFiledNotice = {
    "%1 est déjà dans le registre : résultat %2, %3 / %4, daté du %5. Il n'est pas classé une "
    "seconde fois.",
    "%1 is already in the register: result %2, %3 / %4, dated %5. It is not filed a second "
    "time.",
    "%1 ist schon im Register: Ergebnis %2, %3 / %4, vom %5. Es wird nicht ein zweites Mal "
    "abgelegt.",
    "%1 ya está en el registro: resultado %2, %3 / %4, con fecha %5. No se archiva por segunda "
    "vez.",
    "%1 è già nel registro: risultato %2, %3 / %4, datato %5. Non viene archiviato una seconda "
    "volta."};
inline constexpr Text5 kCloseButton = {"Fermer", "Close", "Schließen", "Cerrar", "Chiudi"};

// A site's customer and notes, and a segment's notes, in the register
// window. "__" marks a mnemonic.
inline constexpr Text5 kMenuSiteDetails = {"__Site : client et notes ...", "__Site details ...",
                                           "Standort__angaben ...", "__Datos del emplazamiento ...",
                                           "Dati del __sito ..."};
// %1 the site.
inline constexpr Text5 kSiteDialogTitle = {"Site %1", "Site %1", "Standort %1", "Emplazamiento %1",
                                           "Sito %1"};
inline constexpr Text5 kSiteCustomer = {
    "__Client :", "__Customer:", "__Kunde:", "__Cliente:", "__Cliente:"};
inline constexpr Text5 kSiteNotes = {
    "__Notes du site :", "Site __notes:", "__Notizen zum Standort:", "__Notas del emplazamiento:",
    "__Note del sito:"};
// %1 the segment.
inline constexpr Text5 kSegmentNotes = {
    "Notes du se__gment %1 :", "Se__gment %1 notes:", "Notizen zum Se__gment %1:",
    "Notas del se__gmento %1:", "Note del se__gmento %1:"};
inline constexpr Text5 kSaveButton = {"Enregistrer", "Save", "Speichern", "Guardar", "Salva"};
// %1 the site.
inline constexpr Text5 kSiteDetailsSaved = {
    "Client et notes du site %1 enregistrés.", "Customer and notes of the site %1 saved.",
    "Kunde und Notizen des Standorts %1 gespeichert.",
    "Cliente y notas del emplazamiento %1 guardados.", "Cliente e note del sito %1 salvati."};
inline constexpr Text5 kChooseSite = {
    "Choisissez d'abord un site dans l'arbre, ou un de ses résultats.",
    "Choose a site in the tree, or one of its results, first.",
    "Wählen Sie zuerst einen Standort im Baum oder eines seiner Ergebnisse.",
    "Elija primero un emplazamiento en el árbol, o uno de sus resultados.",
    "Scegliere prima un sito nell'albero, o uno dei suoi risultati."};
// %1 the site.
inline constexpr Text5 kNoSuchSite = {
    "Le registre n'a pas de site %1", "The register has no site %1",
    "Das Register hat keinen Standort %1", "El registro no tiene el emplazamiento %1",
    "Il registro non ha il sito %1"};

}  // namespace karvel::registertext
