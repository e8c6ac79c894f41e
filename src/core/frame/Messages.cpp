// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/Messages.h"

#include <array>

#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/LinkReport.h"

namespace karvel {

namespace {

// Numbers 0 to 33; entries nobody uses keep their numbers all the same.
constexpr std::array<Text5, kMessageCount> kCatalogue{{
    /* 0 */ {"Fichier KARVEL.INI introuvable", "File KARVEL.INI not found",
             "Setup file KARVEL.INI nicht gefunden", "Fichero KARVEL.INI no encontrado",
             "Impossibile trovare il file KARVEL.INI"},
    /* 1 */
    {"Impossible d'ouvrir d'autres fenêtres", "Cannot open more Windows",
     "Keine weiteren Fenster möglich", "No se pueden abrir más ventanas",
     "Impossibile aprire altre finestre"},
    /* 2 */
    {"Icône de la barre d'outils introuvable", "Toolbar icon not found",
     "Symbol der Werkzeugleiste nicht gefunden", "Icono de la barra de herramientas no encontrado",
     "Icona della barra strumenti non trovata"},
    /* 3 */
    {"Type de fichier non valide", "Invalid file type", "Ungültiger Dateityp",
     "Tipo de fichero no válido", "Tipo di file non valido"},
    /* 4 */
    {"Aucun graphe sélectionné", "No graph selected", "Keine Grafik ausgewählt",
     "Ningún gráfico seleccionado", "Nessun grafico selezionato"},
    /* 5 */
    {"Type de graphe non valide", "Invalid graph type", "Ungültiger Grafiktyp",
     "Tipo de gráfico no válido", "Tipo di grafico non valido"},
    /* 6 */
    {"4 courbes maximum par graphe\nOuvrir un nouveau graphe",
     "Only 4 waveforms per graph\nOpen new graph", "Nur 4 Kurven pro Grafik\nNeue Grafik öffnen",
     "Sólo 4 curvas por gráfico\nAbrir un nuevo gráfico",
     "Solo 4 forme d'onda per grafico\nAprire un nuovo grafico"},
    /* 7 */
    {"Format de fichier non valide", "Invalid format file", "Ungültiges Dateiformat",
     "Formato de fichero no válido", "Formato del file non valido"},
    /* 8 */
    {"Les deux courbes sont incompatibles.", "The two curves are incompatible.",
     "Die beiden Kurven sind nicht kompatibel.", "Las dos curvas son incompatibles.",
     "Le due curve sono incompatibili."},
    /* 9 */
    {"Impossible de lancer EXCEL", "Cannot launch EXCEL", "EXCEL kann nicht gestartet werden",
     "No se puede iniciar EXCEL", "Impossibile avviare EXCEL"},
    /* 10 */
    {"Répertoire de travail introuvable", "Working directory not found",
     "Arbeitsverzeichnis nicht gefunden", "Directorio de trabajo no encontrado",
     "Cartella di lavoro non trovata"},
    /* 11 */
    {"Erreur de protocole TCP/IP.\nVérifier que ce protocole est correctement installé.",
     "TCP/IP protocol error.\nCheck that this protocol is handled correctly.",
     "TCP/IP-Protokollfehler.\nPrüfen, ob dieses Protokoll richtig installiert ist.",
     "Error de protocolo TCP/IP.\nComprobar que este protocolo está bien instalado.",
     "Errore di protocollo TCP/IP.\nVerificare che questo protocollo sia installato "
     "correttamente."},
    /* 12 */
    {"Erreur d'écriture dans EXCEL", "Error writing to EXCEL", "Fehler beim Schreiben in EXCEL",
     "Error de escritura en EXCEL", "Errore di scrittura in EXCEL"},
    /* 13 */
    {"L'appareil doit être en mode oscilloscope pour exécuter cette commande.",
     "The instrument must be in oscilloscope mode to do this command.",
     "Das Gerät muss für diesen Befehl im Oszilloskop-Modus sein.",
     "El instrumento debe estar en modo osciloscopio para ejecutar este mando.",
     "Lo strumento deve essere in modalità oscilloscopio per eseguire questo comando."},
    /* 14 */
    {"Aucune courbe dans ce graphe", "No waveform in this graph", "Keine Kurve in dieser Grafik",
     "Ninguna curva en este gráfico", "Nessuna forma d'onda in questo grafico"},
    /* 15 */
    {"Le nom de fichier doit comporter 8 caractères", "Filename must be 8 characters long",
     "Der Dateiname muss 8 Zeichen lang sein", "El nombre del fichero debe tener 8 caracteres",
     "Il nome del file deve essere di 8 caratteri"},
    /* 16 */
    {"Appareil incorrect", "Bad Instrument", "Falsches Gerät", "Instrumento incorrecto",
     "Strumento non corretto"},
    /* 17 */
    {"Attention !  EXCEL va être fermé", "Warning !  EXCEL will be closed",
     "Achtung !  EXCEL wird geschlossen", "Atención !  EXCEL se va a cerrar",
     "Attenzione !  EXCEL verrà chiuso"},
    /* 18 */
    {"Aucun fichier trouvé", "No file found", "Keine Datei gefunden", "Ningún fichero encontrado",
     "Nessun file trovato"},
    /* 19 */
    {"Nom de fichier incorrect", "Bad Filename", "Ungültiger Dateiname",
     "Nombre de fichero incorrecto", "Nome del file non corretto"},
    /* 20 */
    {"Erreur de communication (Time Out : pas de réponse).\nVérifier les câbles, les "
     "paramètres et le type de connexion (RS232, Ethernet, ...).",
     "Invalid communication (Time Out : no response).\nCheck the cables, the settings "
     "and the type of connection (RS232, Ethernet, ...).",
     "Kommunikationfehler (Time Out).\nDie Kabel, die Parameter sowie den Anschlusstyp "
     "prüfen (RS232, Ethernet, ...).",
     "Tipo de communicación no válido (Time Out).\nComprobar los cables, los parámetros "
     "y el tipo de conexión (RS232, Ethernet, ...).",
     "Tipo di comunicazione non valido (Time Out).\nVerificare i cavi, i parametri ed il "
     "tipo di connessione (RS232, Ethernet, ...)."},
    /* 21 */
    {"Source de la courbe introuvable", "Waveform source not found", "Kurvenquelle nicht gefunden",
     "Fuente de la curva no encontrada", "Sorgente della forma d'onda non trovata"},
    /* 22 */
    {"Aucune courbe dans la mémoire tampon", "No waveform in the buffer", "Keine Kurve im Puffer",
     "Ninguna curva en el búfer", "Nessuna forma d'onda nel buffer"},
    /* 23 */
    {"Erreur d'ouverture du fichier", "Error openning file", "Fehler beim Öffnen der Datei",
     "Error al abrir el fichero", "Errore di apertura del file"},
    /* 24 */
    {"Erreur d'écriture du fichier ", "Error writing file ", "Fehler beim Schreiben der Datei ",
     "Error al escribir el fichero ", "Errore di scrittura del file "},
    /* 25 */
    {"Erreur d'interprétation de la réponse", "Error interpreting response",
     "Fehler beim Auswerten der Antwort", "Error al interpretar la respuesta",
     "Errore di interpretazione della risposta"},
    /* 26 */
    {"Voie non active", "Channel not active", "Kanal nicht aktiv", "Canal no activo",
     "Canale non attivo"},
    /* 27 */
    {"Opération non autorisée", "Impossible to do this command", "Befehl unmöglich",
     "Mando imposible", "Operazione non autorizzata"},
    /* 28 */
    {"Fichier existant", "Existing file", "Datei existiert bereits", "Fichero existente",
     "File esistente"},
    /* 29 */
    {"Aucune voie active", "No chanel enabled", "Kein Kanal aktiviert", "Ningún canal activado",
     "Nessun canale attivato"},
    /* 30 */
    {"Mémoire de l'oscilloscope pleine.", "Memory full on oscilloscope.",
     "Speicher des Oszilloskops voll.", "Memoria del osciloscopio llena.",
     "Memoria dell'oscilloscopio piena."},
    /* 31 */
    {"Le nom de fichier doit comporter 20 caractères max.",
     "Filename must be 20 max. characters long.", "Der Dateiname darf max. 20 Zeichen lang sein.",
     "El nombre del fichero debe tener 20 caracteres máx.",
     "Il nome del file deve avere al massimo 20 caratteri."},
    /* 32 */
    {"Cette adresse IP ne répond pas.", "This IP address has not response.",
     "Diese IP-Adresse antwortet nicht.", "Esta dirección IP no responde.",
     "Questo indirizzo IP non risponde."},
    /* 33 */
    {"Le nom de fichier doit comporter 28 caractères max.",
     "Filename must be 28 max. characters long.", "Der Dateiname darf max. 28 Zeichen lang sein.",
     "El nombre del fichero debe tener 28 caracteres máx.",
     "Il nome del file deve avere al massimo 28 caratteri."},
}};

constexpr int kTitleMax = 19;
constexpr int kTextMaxPopup = 199;

}  // namespace

QString messageText(int number, int language) {
  if (number < 0 || number >= kMessageCount) return {};
  return pick(kCatalogue[static_cast<std::size_t>(number)], language);
}

ErrorPopup errorPopup(int number, int language) {
  ErrorPopup popup;
  popup.number = number < 0 ? kMessageTimeOut : number;
  popup.title = QStringLiteral("%1 n° %2")
                    .arg(pick(text::kErrorWord, language))
                    .arg(-(popup.number + 100))
                    .left(kTitleMax);
  // A number beyond the catalogue still shows its code in the title, with an
  // empty text, rather than reading past the table.
  popup.text = (messageText(popup.number, language) + u'\n').left(kTextMaxPopup);
  return popup;
}

void PopupErreur(AppState& state, int number) {
  ErrorPopup popup = errorPopup(number, state.language);
  // The time-out message keeps its text and gains the cause and the address,
  // so that a refused permission or a mistyped address is not taken for a
  // cable fault. Read before the closing below, which keeps the record.
  if (popup.number == kMessageTimeOut) {
    const QString cause = linkFailureLine(lastLinkFailure(state), state.language);
    if (!cause.isEmpty()) popup.text += cause + u'\n';
  }
  // A negative number is a communication failure: the session is closed
  // before the box is shown.
  if (number < 0) Tarvik_close(state, state.session);
  // The busy cursor gives way to the normal one while any box is up (the
  // Interaction implementation takes care of that).
  if (state.ui) state.ui->message(popup.title, popup.text);
}

}  // namespace karvel
