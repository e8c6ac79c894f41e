// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own texts, one row of five strings per text in the order of
// the language index (French, English, German, Spanish, Italian). Menu texts
// mark their mnemonic with a double underscore (see menuText in Texts.h).
// The communication and import dialogs take their texts from here too; the
// bus, results and spreadsheet windows keep theirs beside their code
// (BusTexts.h, ResultTexts.h, SheetExport.h). Every window speaks the language
// in force when it opens.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::text {

// ---- Main window: menu bar -------------------------------------------------
inline constexpr Text5 kMenuFile{"__Fichier", "__File", "__Datei", "__Fichero", "__File"};
inline constexpr Text5 kMenuOptions{"__Options", "__Options", "__Optionen", "__Optiones",
                                    "__Opzioni"};
inline constexpr Text5 kItemOpen{"__Ouvrir ...", "__Open ...", "__Öffnen ...", "__Abrir ...",
                                 "__Apri ..."};
inline constexpr Text5 kItemSave{"__Enregistrer ...", "S__ave ...", "__Speichern ...",
                                 "__Guardar ...", "__Salva ..."};
inline constexpr Text5 kItemClose{"__Fermer", "__Close", "S__chließen", "__Cerrar", "__Chiudi"};
inline constexpr Text5 kItemImport{"__Importer ...", "__Import ...", "__Importieren ...",
                                   "__Importar ...", "__Importa ..."};
inline constexpr Text5 kItemExport{"E__xporter ...", "__Export ...", "__Exportieren ...",
                                   "__Exportar ...", "Es__porta ..."};
inline constexpr Text5 kItemPrint{"Im__primer ...", "Prin__t ...", "__Drucken ...",
                                  "Im__primir ...", "S__tampa ..."};
inline constexpr Text5 kItemExit{"__Quitter", "E__xit", "__Beenden", "Sali__r", "__Esci"};
inline constexpr Text5 kItemRecent{"Fichiers __récents", "__Recent files", "__Zuletzt geöffnet",
                                   "Fichero__s recientes", "File __recenti"};
inline constexpr Text5 kRecentNone{"(aucun)", "(none)", "(keine)", "(ninguno)", "(nessuno)"};
inline constexpr Text5 kItemCommunication{"__Communication ...", "__Communication ...",
                                          "__Kommunikation ...", "__Comunicación ...",
                                          "__Comunicazione ..."};
// Options: the toolbar's connect toggle as a menu item, saying what it will
// do; one mnemonic for both, shared with no other item of Options nor with
// the menu bar's titles.
inline constexpr Text5 kItemConnect{"Co__nnecter", "Co__nnect", "Verbi__nden", "Co__nectar",
                                    "Co__nnetti"};
inline constexpr Text5 kItemDisconnect{"Déco__nnecter", "Disco__nnect", "Tre__nnen",
                                       "Desco__nectar", "Disco__nnetti"};
inline constexpr Text5 kItemLanguage{"__Langue", "__Language", "__Sprache", "__Idioma", "__Lingua"};
inline constexpr Text5 kItemContents{"__Sommaire", "__Contents", "__Inhalt", "__Contenido",
                                     "__Sommario"};
inline constexpr Text5 kItemAbout{"__A propos ...", "__About ...", "__Über ...", "__Acerca de ...",
                                  "__Informazioni ..."};

// ---- Main window: labels and captions ---------------------------------------
inline constexpr Text5 kLabelFile{"Fichier", "File", "Datei", "Fichero", "File"};
inline constexpr Text5 kLabelBus{"Bus", "Bus", "Bus", "Bus", "Bus"};
inline constexpr Text5 kLabelComments{"Commentaires", "Comments", "Kommentare", "Comentarios",
                                      "Commenti"};
inline constexpr Text5 kColumnWarning{"Avertissement", "Warning", "Warnung", "Aviso", "Avviso"};
inline constexpr Text5 kLabelFrequency{"Fréquence / Débit", "Frequency / Baudrate",
                                       "Frequenz / Baudrate", "Frecuencia / Velocidad",
                                       "Frequenza / Baudrate"};
inline constexpr Text5 kLabelBitTime{"Temps bit", "Bit-time", "Bitzeit", "Tiempo de bit",
                                     "Tempo di bit"};
inline constexpr Text5 kLabelMaxVoltage{
    "Tension max. actuellement configurée", "Max. voltage currently configured",
    "Derzeit eingestellte max. Spannung", "Tensión máx. configurada actualmente",
    "Tensione max. attualmente configurata"};
inline constexpr Text5 kButtonNext{"Suivant >>>", "Next >>>", "Weiter >>>", "Siguiente >>>",
                                   "Avanti >>>"};
inline constexpr Text5 kCaptionSpeed{"Génération d'un fichier pour\n une nouvelle vitesse de bus",
                                     "Generation of file for a new bus speed",
                                     "Erzeugung einer Datei für\neine neue Busgeschwindigkeit",
                                     "Generación de un fichero para\nuna nueva velocidad de bus",
                                     "Generazione di un file per\nuna nuova velocità del bus"};
inline constexpr Text5 kCaptionVoltage{
    "Génération d'un fichier pour une nouvelle\ntension max. de bus",
    "Generation of a file for a new max.\nbus voltage",
    "Erzeugung einer Datei für eine neue\nmax. Busspannung",
    "Generación de un fichero para una nueva\ntensión máx. del bus",
    "Generazione di un file per una nuova\ntensione max. del bus"};
inline constexpr Text5 kGroupFrequency{"Fréquence", "Frequency", "Frequenz", "Frecuencia",
                                       "Frequenza"};
inline constexpr Text5 kGroupVoltage{"Tension", "Voltage", "Spannung", "Tensión", "Tensione"};

// ---- Toolbar descriptions (also the tooltips) -------------------------------
inline constexpr Text5 kToolOpen{"Ouvrir", "Open", "Öffnen", "Abrir", "Apri"};
inline constexpr Text5 kToolSave{"Enregistrer", "Save", "Speichern", "Guardar", "Salva"};
inline constexpr Text5 kToolImport{"Importer", "Import", "Importieren", "Importar", "Importa"};
inline constexpr Text5 kToolExport{"Exporter", "Export", "Exportieren", "Exportar", "Esporta"};
inline constexpr Text5 kToolPrint{"Imprimer", "Print", "Drucken", "Imprimir", "Stampa"};
inline constexpr Text5 kToolHelp{"Aide", "Help", "Hilfe", "Ayunda", "Aiuto"};
inline constexpr Text5 kToolCommunication{"Communication", "Communication", "Kommunikation",
                                          "Communicación", "Comunicazione"};

// ---- Main window: Edit menu ---------------------------------------------------
// Its items' mnemonics share no letter with each other nor with File, Options
// and "?" in the same language.
inline constexpr Text5 kMenuEdit{"É__dition", "__Edit", "__Bearbeiten", "__Edición", "__Modifica"};
inline constexpr Text5 kItemUndo{"__Annuler", "__Undo", "__Rückgängig", "__Deshacer", "__Annulla"};
inline constexpr Text5 kItemRedo{"__Rétablir", "__Redo", "__Wiederholen", "__Rehacer", "__Ripeti"};
inline constexpr Text5 kItemNewSpeed{
    "Nouveau fichier pour une autre __vitesse...", "New file for another __speed...",
    "Neue Datei für eine andere __Geschwindigkeit...", "Nuevo fichero para otra __velocidad...",
    "Nuovo file per un'altra __velocità..."};
inline constexpr Text5 kItemNewVoltage{
    "Nouveau fichier pour une autre __tension...", "New file for another __voltage...",
    "Neue Datei für eine andere __Spannung...", "Nuevo fichero para otra __tensión...",
    "Nuovo file per un'altra __tensione..."};

// ---- Main window: names read by screen readers --------------------------------
inline constexpr Text5 kNameBusTable{"Limites des mesures", "Measurement limits",
                                     "Grenzwerte der Messungen", "Límites de las medidas",
                                     "Limiti delle misure"};
inline constexpr Text5 kDescriptionBusTable{
    "Une ligne par mesure : minimum, maximum et avertissement. Les flèches passent d'une "
    "cellule à l'autre, F2 modifie la cellule, Tab quitte le tableau.",
    "One row per measurement: minimum, maximum and warning. Arrow keys move between cells, "
    "F2 edits the cell, Tab leaves the table.",
    "Eine Zeile je Messung: Minimum, Maximum und Warnung. Pfeiltasten wechseln die Zelle, "
    "F2 bearbeitet sie, Tab verlässt die Tabelle.",
    "Una fila por medida: mínimo, máximo y aviso. Las flechas pasan de una celda a otra, "
    "F2 modifica la celda, Tab sale de la tabla.",
    "Una riga per misura: minimo, massimo e avviso. Le frecce passano da una cella all'altra, "
    "F2 modifica la cella, Tab esce dalla tabella."};
// The generator buttons read "Next >>>": their names say what comes next.
inline constexpr Text5 kNameSpeedNext{
    "Suivant : nouveau fichier pour une autre vitesse", "Next: new file for another speed",
    "Weiter: neue Datei für eine andere Geschwindigkeit",
    "Siguiente: nuevo fichero para otra velocidad", "Avanti: nuovo file per un'altra velocità"};
inline constexpr Text5 kNameVoltageNext{
    "Suivant : nouveau fichier pour une autre tension", "Next: new file for another voltage",
    "Weiter: neue Datei für eine andere Spannung", "Siguiente: nuevo fichero para otra tensión",
    "Avanti: nuovo file per un'altra tensione"};
inline constexpr Text5 kNameBusPicture{"Image du bus", "Bus picture", "Bild des Busses",
                                       "Imagen del bus", "Immagine del bus"};
inline constexpr Text5 kNoBusPicture{"Aucune image", "No picture", "Kein Bild", "Sin imagen",
                                     "Nessuna immagine"};
inline constexpr Text5 kNameToolbar{"Barre d'outils", "Toolbar", "Werkzeugleiste",
                                    "Barra de herramientas", "Barra degli strumenti"};

// ---- File dialogs of the main menu ------------------------------------------
inline constexpr Text5 kBusFileTitle{"Fichier BUS", "BUS File", "Datei BUS", "Fichero BUS",
                                     "File BUS"};
inline constexpr Text5 kExportTitle{"Exporter", "Export", "Exportieren", "Exportar", "Esporta"};

// ---- Messages ----------------------------------------------------------------
inline constexpr Text5 kErrorWord{"Erreur", "Error", "Fehler", "Error", "Errore"};
// Shown when printing cannot start (the print error box is titled "Error").
inline constexpr Text5 kPrintFailed{
    "Impossible d'imprimer sur cette imprimante.", "Cannot print on this printer.",
    "Auf diesem Drucker kann nicht gedruckt werden.", "No se puede imprimir en esta impresora.",
    "Impossibile stampare su questa stampante."};

// The settings file could not be written: the file, then the reason.
inline constexpr Text5 kSettingsNotSaved{
    "Les réglages n'ont pas pu être enregistrés dans\n%1\n%2",
    "The settings could not be saved to\n%1\n%2",
    "Die Einstellungen konnten nicht gespeichert werden in\n%1\n%2",
    "No se han podido guardar los ajustes en\n%1\n%2",
    "Impossibile salvare le impostazioni in\n%1\n%2"};

// ---- About panel -------------------------------------------------------------
// How the program runs; the settings file's path follows on the next line.
inline constexpr Text5 kAboutPortable{
    "Version portable, réglages dans :", "Portable, settings in:",
    "Portable Version, Einstellungen in:", "Versión portátil, ajustes en:",
    "Versione portatile, impostazioni in:"};
inline constexpr Text5 kAboutInstalled{
    "Version installée, réglages dans :", "Installed, settings in:",
    "Installiert, Einstellungen in:", "Instalado, ajustes en:", "Installato, impostazioni in:"};

// ---- Quit question ------------------------------------------------------------
inline constexpr Text5 kQuitTitle{"Quitter", "Quit", "Beenden", "Salir", "Esci"};
inline constexpr Text5 kQuitQuestion{
    "Êtes-vous sûr de vouloir quitter KARVEL ?\n", "Are you sure you want to quit KARVEL ?\n",
    "Wollen sie KARVEL beenden ?\n", "Está a punto de salir de KARVEL ?\n", "Uscire da KARVEL ?\n"};
inline constexpr Text5 kYes{"Oui", "Yes", "Ja", "Si", "Si"};
inline constexpr Text5 kNo{"Non", "No", "Nein", "No", "No"};

// ---- Dialog texts shared by every dialog --------------------------------------
inline constexpr Text5 kQuitButton{"Quitter", "Quit", "Beenden", "Salir", "Esci"};

// ---- Communication settings dialog ------------------------------------------
inline constexpr Text5 kCommTitle{"Communication", "Communication", "Kommunikation", "Comunicación",
                                  "Comunicazione"};
inline constexpr Text5 kCommAddress{"Adresse", "Address", "Adresse", "Dirección", "Indirizzo"};
inline constexpr Text5 kCommType{"Type de communication", "Type of communication",
                                 "Kommunikationsart", "Tipo de comunicación",
                                 "Tipo di comunicazione"};

// ---- File > Export ---------------------------------------------------------
// A file name the instrument cannot store: the name, then its refused characters.
inline constexpr Text5 kNameNotEncodable{
    "Le nom « %1 » contient des caractères que l'instrument ne peut pas enregistrer : %2\n"
    "Renommez le fichier avant de l'exporter.",
    "The name \"%1\" holds characters that the instrument cannot store: %2\n"
    "Rename the file before exporting it.",
    "Der Name „%1“ enthält Zeichen, die das Gerät nicht speichern kann: %2\n"
    "Benennen Sie die Datei vor dem Exportieren um.",
    "El nombre «%1» contiene caracteres que el instrumento no puede guardar: %2\n"
    "Cambie el nombre del fichero antes de exportarlo.",
    "Il nome «%1» contiene caratteri che lo strumento non può memorizzare: %2\n"
    "Rinominare il file prima di esportarlo."};

// ---- Import dialog -----------------------------------------------------------
inline constexpr Text5 kImportTitle{"Importer", "Import", "Importieren", "Importar", "Importa"};
inline constexpr Text5 kImportFileName{"Nom du fichier", "File Name", "Dateiname",
                                       "Nombre del fichero", "Nome del file"};
// A file of the PC that could not be written: the file (or folder), then the reason.
inline constexpr Text5 kCannotWriteFile{
    "Impossible d'écrire le fichier\n%1\n%2", "Cannot write the file\n%1\n%2",
    "Die Datei kann nicht geschrieben werden\n%1\n%2", "No se puede escribir el fichero\n%1\n%2",
    "Impossibile scrivere il file\n%1\n%2"};
// The store a listed file is in.
inline constexpr Text5 kStoreMemory{"Mémoire", "Memory", "Speicher", "Memoria", "Memoria"};
inline constexpr Text5 kStoreCard{"Carte SD", "SD card", "SD-Karte", "Tarjeta SD", "Scheda SD"};
inline constexpr Text5 kImportFileType{"Type de fichiers", "Type of Files", "Dateityp",
                                       "Tipo de ficheros", "Tipo di file"};

// ---- Import dialog: what a screen reader says ---------------------------------
inline constexpr Text5 kImportListName{"Fichiers de l'oscilloscope", "Files on the oscilloscope",
                                       "Dateien auf dem Oszilloskop", "Ficheros del osciloscopio",
                                       "File dell'oscilloscopio"};
// A listed file: its name, then where it is stored (kStoreInMemory, kStoreOnCard).
inline constexpr Text5 kImportEntry{"%1, %2", "%1, %2", "%1, %2", "%1, %2", "%1, %2"};
inline constexpr Text5 kStoreInMemory{"dans la mémoire interne", "in the internal memory",
                                      "im internen Speicher", "en la memoria interna",
                                      "nella memoria interna"};
inline constexpr Text5 kStoreOnCard{"sur la carte SD", "on the SD card", "auf der SD-Karte",
                                    "en la tarjeta SD", "sulla scheda SD"};
inline constexpr Text5 kImportFetchHint{
    "Copie dans le programme le fichier nommé sous Nom du fichier.",
    "Fetches the file named under File Name into the program.",
    "Holt die unter Dateiname genannte Datei in das Programm.",
    "Trae al programa el fichero indicado en Nombre del fichero.",
    "Carica nel programma il file indicato in Nome del file."};

// ---- About panel: its links by keyboard ------------------------------------------
inline constexpr Text5 kAboutMakerHint{
    "Ouvre le site de KARVEL dans le navigateur.", "Opens the KARVEL web site in the browser.",
    "Öffnet die KARVEL-Website im Browser.", "Abre el sitio web de KARVEL en el navegador.",
    "Apre il sito web di KARVEL nel browser."};
inline constexpr Text5 kAboutSupportHint{
    "Ouvre la page d'assistance dans le navigateur.", "Opens the support page in the browser.",
    "Öffnet die Support-Seite im Browser.", "Abre la página de asistencia en el navegador.",
    "Apre la pagina di assistenza nel browser."};

// ---- Connection types, by connection type ------------------------------------
inline constexpr std::array<const char*, 3> kConnectionNames{"RS232", "USB", "Ethernet"};
inline constexpr std::array<const char*, 3> kConnectionImages{
    "toolbar/RS232.bmp", "toolbar/USB.bmp", "toolbar/Ethernet.bmp"};

// ---- An instrument operation under way (its dialog) ---------------------------
inline constexpr Text5 kOperationTitle{"Oscilloscope", "Instrument", "Oszilloskop", "Osciloscopio",
                                       "Oscilloscopio"};
inline constexpr Text5 kOperationCancel{"Annuler", "Cancel", "Abbrechen", "Cancelar", "Annulla"};
inline constexpr Text5 kOperationCancelling{"Annulation ...", "Cancelling ...",
                                            "Wird abgebrochen ...", "Cancelando ...",
                                            "Annullamento ..."};

// ---- Writing a file: causes the system's own words leave unclear ---------------
// The folder (or file) on a file system mounted read-only.
// The standard output as a file written ("-" on the command line).
inline constexpr Text5 kStandardOutputClosed{
    "la sortie standard a été fermée avant la fin des données",
    "the standard output was closed before all the data was written",
    "die Standardausgabe wurde vor dem Ende der Daten geschlossen",
    "la salida estándar se cerró antes del final de los datos",
    "l'uscita standard è stata chiusa prima della fine dei dati"};
inline constexpr Text5 kStandardOutputFailed{"écriture sur la sortie standard impossible : %1",
                                             "cannot write to the standard output: %1",
                                             "Schreiben auf die Standardausgabe nicht möglich: %1",
                                             "no se puede escribir en la salida estándar: %1",
                                             "impossibile scrivere sull'uscita standard: %1"};
inline constexpr Text5 kWriteReadOnlyFileSystem{
    "Le système de fichiers qui contient %1 est en lecture seule",
    "The file system that holds %1 is read-only",
    "Das Dateisystem, das %1 enthält, ist schreibgeschützt",
    "El sistema de ficheros que contiene %1 es de solo lectura",
    "Il file system che contiene %1 è di sola lettura"};
// A file the user made read-only: it is not replaced behind their back.
inline constexpr Text5 kWriteFileReadOnly{"Le fichier existant %1 est protégé en écriture",
                                          "The existing file %1 is write-protected",
                                          "Die vorhandene Datei %1 ist schreibgeschützt",
                                          "El fichero existente %1 está protegido contra escritura",
                                          "Il file esistente %1 è protetto da scrittura"};

// ---- A settings file that exists but could not be used whole ---------------------
// The file, then the system's reason.
inline constexpr Text5 kSettingsUnreadable{
    "Le fichier de réglages\n%1\nn'a pas pu être lu (%2).\n"
    "Les réglages par défaut s'appliquent.",
    "The settings file\n%1\ncould not be read (%2).\n"
    "The default settings apply.",
    "Die Einstellungsdatei\n%1\nkonnte nicht gelesen werden (%2).\n"
    "Es gelten die Standardeinstellungen.",
    "No se ha podido leer el fichero de ajustes\n%1\n(%2).\n"
    "Se aplican los ajustes por defecto.",
    "Impossibile leggere il file delle impostazioni\n%1\n(%2).\n"
    "Si applicano le impostazioni predefinite."};
// The file, the lines that could not be read ("3, 8-12"), the settings kept.
inline constexpr Text5 kSettingsDamaged{
    "Le fichier de réglages\n%1\nest endommagé : ligne(s) %2 illisible(s).\n"
    "Conservé : %3.",
    "The settings file\n%1\nis damaged: line(s) %2 could not be read.\n"
    "Kept: %3.",
    "Die Einstellungsdatei\n%1\nist beschädigt: Zeile(n) %2 nicht lesbar.\n"
    "Übernommen: %3.",
    "El fichero de ajustes\n%1\nestá dañado: no se ha podido leer la(s) línea(s) %2.\n"
    "Conservado: %3.",
    "Il file delle impostazioni\n%1\nè danneggiato: riga/e %2 illeggibile/i.\n"
    "Mantenuto: %3."};
// Follows kSettingsDamaged: the settings that went back to their defaults.
inline constexpr Text5 kSettingsDefaulted{
    "Valeur par défaut reprise : %1.", "Back to the default: %1.",
    "Wieder auf dem Standardwert: %1.", "Vuelto al valor por defecto: %1.",
    "Tornato al valore predefinito: %1."};
// Follows either text when the program writes the file again at once.
inline constexpr Text5 kSettingsWrittenAnew{
    "Le fichier est réécrit avec ces réglages.", "The file is written anew with these settings.",
    "Die Datei wird mit diesen Einstellungen neu geschrieben.",
    "El fichero se vuelve a escribir con estos ajustes.",
    "Il file viene riscritto con queste impostazioni."};
inline constexpr Text5 kSettingsTooLarge{"plus de 64 Ko", "larger than 64 KB", "größer als 64 KB",
                                         "más de 64 KB", "più di 64 KB"};
inline constexpr Text5 kSettingsKeptNothing{"rien", "nothing", "nichts", "nada", "niente"};
// The settings by name, as the damaged-file message lists what it kept.
inline constexpr Text5 kSettingLanguageChosen{"choix de la langue fait", "language chosen",
                                              "Sprache gewählt", "idioma elegido", "lingua scelta"};
inline constexpr Text5 kSettingWorkingDir{"dossier de travail", "working folder",
                                          "Arbeitsverzeichnis", "carpeta de trabajo",
                                          "cartella di lavoro"};
inline constexpr Text5 kSettingLanguage{"langue", "language", "Sprache", "idioma", "lingua"};
inline constexpr Text5 kSettingConnection{"type de communication", "type of communication",
                                          "Kommunikationsart", "tipo de comunicación",
                                          "tipo di comunicazione"};
inline constexpr Text5 kSettingSerialAddress{"adresse RS232", "RS232 address", "RS232-Adresse",
                                             "dirección RS232", "indirizzo RS232"};
inline constexpr Text5 kSettingUsbAddress{"adresse USB", "USB address", "USB-Adresse",
                                          "dirección USB", "indirizzo USB"};
inline constexpr Text5 kSettingEthernetAddress{"adresse Ethernet", "Ethernet address",
                                               "Ethernet-Adresse", "dirección Ethernet",
                                               "indirizzo Ethernet"};
inline constexpr Text5 kSettingWindow{"position de la fenêtre", "window position",
                                      "Fensterposition", "posición de la ventana",
                                      "posizione della finestra"};

}  // namespace karvel::text
