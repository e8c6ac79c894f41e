// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the communication settings dialog, five languages each.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::text {

inline constexpr Text5 kCommHelpRs232{
    "Sur l'oscilloscope :\nvitesse la plus élevée,\nprotocole matériel (RTS/CTS),\n8 bits, sans "
    "parité, 1 bit de stop.",
    "On oscilloscope :\nhighest speed,\nhardware protocole (RTS/CTS),\n8 bits, no parity, 1 stop "
    "bit.",
    "Am Oszilloskop :\nhöchste Geschwindigkeit,\nHardware-Protokoll (RTS/CTS),\n8 Bits, keine "
    "Parität, 1 Stoppbit.",
    "En el osciloscopio :\nvelocidad más alta,\nprotocolo hardware (RTS/CTS),\n8 bits, sin "
    "paridad, 1 bit de parada.",
    "Sull'oscilloscopio :\nvelocità più alta,\nprotocollo hardware (RTS/CTS),\n8 bit, nessuna "
    "parità, 1 bit di stop."};
inline constexpr Text5 kCommHelpUsb{
    "Le pilote USB doit être correctement installé.\n\nIl est disponible dans le "
    "sous-répertoire\n\"Driver USB\".",
    "USB driver must be correctly installed.\n\nIt's available in sub-directory\n\"Driver USB\".",
    "Der USB-Treiber muss korrekt installiert sein.\n\nEr befindet sich im "
    "Unterverzeichnis\n\"Driver USB\".",
    "El driver USB debe estar correctamente instalado.\n\nEstá disponible en el "
    "subdirectorio\n\"Driver USB\".",
    "Il driver USB deve essere installato correttamente.\n\nÈ disponibile nella "
    "sottocartella\n\"Driver USB\"."};
// The USB help where the system has the USB drivers (Linux): no driver
// folder, but the port's permissions.
inline constexpr Text5 kCommHelpUsbLinux{
    "Sous Linux, l'USB ne demande aucun pilote à installer : l'oscilloscope apparaît comme un "
    "port série (/dev/ttyACM0, ou /dev/ttyUSB0 par un adaptateur USB-série) que votre compte "
    "doit avoir le droit d'ouvrir.",
    "On Linux, USB needs no driver to install: the oscilloscope appears as a serial port "
    "(/dev/ttyACM0, or /dev/ttyUSB0 through a USB-to-serial adapter) that your account must be "
    "allowed to open.",
    "Unter Linux muss für USB kein Treiber installiert werden: das Oszilloskop erscheint als "
    "serielle Schnittstelle (/dev/ttyACM0, oder /dev/ttyUSB0 über einen USB-Seriell-Adapter), "
    "die Ihr Konto öffnen dürfen muss.",
    "En Linux, el USB no necesita instalar ningún driver: el osciloscopio aparece como un puerto "
    "serie (/dev/ttyACM0, o /dev/ttyUSB0 a través de un adaptador USB-serie) que su cuenta debe "
    "poder abrir.",
    "Su Linux l'USB non richiede l'installazione di driver: l'oscilloscopio appare come una "
    "porta seriale (/dev/ttyACM0, oppure /dev/ttyUSB0 tramite un adattatore USB-seriale) che il "
    "proprio account deve poter aprire."};
inline constexpr Text5 kCommUsbPortsHeading{
    "Ports USB d'oscilloscope sur ce PC :", "Oscilloscope USB ports on this PC :",
    "USB-Ports eines Oszilloskops an diesem PC :", "Puertos USB de osciloscopio en este PC :",
    "Porte USB di oscilloscopio su questo PC :"};
// %1 device.
inline constexpr Text5 kCommUsbPortReady{
    "%1 peut être ouvert par votre compte.", "%1 can be opened by your account.",
    "%1 kann von Ihrem Konto geöffnet werden.", "%1 puede ser abierto por su cuenta.",
    "%1 può essere aperto dal proprio account."};
// None connected, and the account is not in "dialout": %1 user.
inline constexpr Text5 kCommUsbJoinDialout{
    "Un tel port appartient en général au groupe \"dialout\", dont votre compte ne fait pas "
    "partie : ajoutez-le (sudo usermod -aG dialout %1), puis fermez et rouvrez la session.",
    "Such a port usually belongs to the group \"dialout\", which your account is not in: add it "
    "(sudo usermod -aG dialout %1), then log out and in again.",
    "Ein solcher Port gehört meist der Gruppe \"dialout\", in der Ihr Konto nicht ist: fügen "
    "Sie es hinzu (sudo usermod -aG dialout %1) und melden Sie sich neu an.",
    "Un puerto así suele pertenecer al grupo \"dialout\", en el que su cuenta no está: añádala "
    "(sudo usermod -aG dialout %1) y vuelva a iniciar la sesión.",
    "Una porta del genere appartiene di solito al gruppo \"dialout\", di cui il proprio account "
    "non fa parte: aggiungerlo (sudo usermod -aG dialout %1), poi uscire e rientrare."};
// None connected, and nothing to change on this account.
inline constexpr Text5 kCommUsbConnect{
    "Branchez l'oscilloscope et allumez-le.", "Connect the oscilloscope and switch it on.",
    "Schließen Sie das Oszilloskop an und schalten Sie es ein.",
    "Conecte el osciloscopio y enciéndalo.", "Collegare l'oscilloscopio e accenderlo."};
inline constexpr Text5 kCommHelpEthernet{
    "Entrez l'adresse IP de l'oscilloscope.", "Enter oscilloscope IP address.",
    "Geben Sie die IP-Adresse des Oszilloskops ein.",
    "Introduzca la dirección IP del osciloscopio.", "Inserire l'indirizzo IP dell'oscilloscopio."};
inline constexpr Text5 kCommPcAddress{
    "Adresse PC : ", "PC address : ", "PC-Adresse : ", "Dirección PC : ", "Indirizzo PC : "};
inline constexpr Text5 kCommNoAddress{"Pas d'adresse", "No address", "Keine Adresse",
                                      "Sin dirección", "Nessun indirizzo"};
inline constexpr Text5 kCommConnect{"Connecter", "Connect", "Verbinden", "Conectar", "Connetti"};

// Serial ports on a system that names them by device path.
inline constexpr Text5 kCommPortsHeading{
    "Ports série de ce PC :", "Serial ports of this PC :", "Serielle Schnittstellen dieses PCs :",
    "Puertos serie de este PC :", "Porte seriali di questo PC :"};
inline constexpr Text5 kCommNoPorts{"(aucun)", "(none found)", "(keine gefunden)", "(ninguno)",
                                    "(nessuna)"};
inline constexpr Text5 kCommPortHint{
    "Tapez un numéro de COM ou un chemin de périphérique tel que /dev/ttyUSB0.",
    "Type a COM number or a device path such as /dev/ttyUSB0.",
    "Geben Sie eine COM-Nummer oder einen Gerätepfad wie /dev/ttyUSB0 ein.",
    "Escriba un número de COM o una ruta de dispositivo como /dev/ttyUSB0.",
    "Digitare un numero di COM o un percorso di dispositivo come /dev/ttyUSB0."};
inline constexpr Text5 kCommBadIpByte{
    "Adresse IP incorrecte : chaque octet est un nombre de 0 à 255.",
    "Not an IP address: each byte is a number from 0 to 255.",
    "Keine IP-Adresse: jedes Byte ist eine Zahl von 0 bis 255.",
    "Dirección IP incorrecta: cada byte es un número de 0 a 255.",
    "Indirizzo IP non valido: ogni byte è un numero da 0 a 255."};
// The TCP port beside the IP address (23 unless the instrument, a simulator,
// a port forward or a serial-to-Ethernet converter listens on another).
inline constexpr Text5 kCommTcpPort{"Port", "Port", "Port", "Puerto", "Porta"};
inline constexpr Text5 kCommTcpPortName{"Port TCP de l'oscilloscope", "Oscilloscope TCP port",
                                        "TCP-Port des Oszilloskops", "Puerto TCP del osciloscopio",
                                        "Porta TCP dell'oscilloscopio"};
inline constexpr Text5 kCommTcpPortHint{
    "Un nombre de 1 à 65535 ; 23 en général.", "A number from 1 to 65535; usually 23.",
    "Eine Zahl von 1 bis 65535; meistens 23.", "Un número de 1 a 65535; normalmente 23.",
    "Un numero da 1 a 65535; di solito 23."};
inline constexpr Text5 kCommBadTcpPort{
    "Port TCP incorrect : le port est un nombre de 1 à 65535.",
    "Not a TCP port: the port is a number from 1 to 65535.",
    "Kein TCP-Port: der Port ist eine Zahl von 1 bis 65535.",
    "Puerto TCP incorrecto: el puerto es un número de 1 a 65535.",
    "Porta TCP non valida: la porta è un numero da 1 a 65535."};
// %1 device, %2 group, %3 user.
inline constexpr Text5 kCommPortPermission{
    "%1 existe mais vous n'avez pas le droit de l'ouvrir : il appartient au groupe \"%2\". "
    "Ajoutez votre compte à ce groupe (sudo usermod -aG %2 %3), puis fermez et rouvrez la session.",
    "%1 exists but you may not open it: it belongs to the group \"%2\". "
    "Add your account to that group (sudo usermod -aG %2 %3), then log out and in again.",
    "%1 ist vorhanden, darf aber nicht geöffnet werden: es gehört der Gruppe \"%2\". "
    "Fügen Sie Ihr Konto dieser Gruppe hinzu (sudo usermod -aG %2 %3) und melden Sie sich neu an.",
    "%1 existe pero no tiene permiso para abrirlo: pertenece al grupo \"%2\". "
    "Añada su cuenta a ese grupo (sudo usermod -aG %2 %3) y vuelva a iniciar la sesión.",
    "%1 esiste ma non si ha il permesso di aprirlo: appartiene al gruppo \"%2\". "
    "Aggiungere il proprio account a quel gruppo (sudo usermod -aG %2 %3), poi uscire e "
    "rientrare."};
// %1 device, %2 " (program)" or nothing.
inline constexpr Text5 kCommPortBusy{
    "%1 est utilisé par un autre programme%2. Fermez ce programme, puis reconnectez-vous.",
    "%1 is in use by another program%2. Close that program, then connect again.",
    "%1 wird von einem anderen Programm benutzt%2. Schließen Sie dieses Programm und verbinden Sie "
    "erneut.",
    "%1 está siendo usado por otro programa%2. Cierre ese programa y vuelva a conectar.",
    "%1 è usato da un altro programma%2. Chiudere quel programma, poi riconnettersi."};
inline constexpr Text5 kCommPortMissing{
    "%1 n'existe pas sur ce PC.", "%1 does not exist on this PC.",
    "%1 gibt es auf diesem PC nicht.", "%1 no existe en este PC.", "%1 non esiste su questo PC."};
// No group that the user should join may open the device: %1 device,
// %2 its group, %3 its mode, %4 the udev rule line, %5 user.
inline constexpr Text5 kCommPortPermissionRule{
    "%1 existe mais vous n'avez pas le droit de l'ouvrir, et aucun groupe à rejoindre "
    "ne peut le lire et l'écrire (groupe \"%2\", droits %3) : ses droits doivent changer. "
    "En administrateur, ajoutez la ligne\n%4\nau fichier /etc/udev/rules.d/99-karvel.rules, "
    "lancez sudo udevadm control --reload-rules && sudo udevadm trigger, ajoutez votre "
    "compte au groupe dialout (sudo usermod -aG dialout %5), puis fermez et rouvrez la session.",
    "%1 exists but you may not open it, and no group you should join may read and write it "
    "(group \"%2\", mode %3): its permissions must change. As administrator, add the line\n"
    "%4\nto the file /etc/udev/rules.d/99-karvel.rules, run sudo udevadm control "
    "--reload-rules && sudo udevadm trigger, add your account to the group dialout "
    "(sudo usermod -aG dialout %5), then log out and in again.",
    "%1 ist vorhanden, darf aber nicht geöffnet werden, und keine Gruppe, der Sie "
    "beitreten sollten, darf es lesen und schreiben (Gruppe \"%2\", Rechte %3): seine "
    "Rechte müssen sich ändern. Fügen Sie als Administrator die Zeile\n%4\nin die Datei "
    "/etc/udev/rules.d/99-karvel.rules ein, führen Sie sudo udevadm control --reload-rules "
    "&& sudo udevadm trigger aus, fügen Sie Ihr Konto der Gruppe dialout hinzu "
    "(sudo usermod -aG dialout %5) und melden Sie sich neu an.",
    "%1 existe pero no tiene permiso para abrirlo, y ningún grupo al que deba unirse "
    "puede leerlo y escribirlo (grupo \"%2\", permisos %3): sus permisos deben cambiar. "
    "Como administrador, añada la línea\n%4\nal fichero /etc/udev/rules.d/99-karvel.rules, "
    "ejecute sudo udevadm control --reload-rules && sudo udevadm trigger, añada su cuenta "
    "al grupo dialout (sudo usermod -aG dialout %5) y vuelva a iniciar la sesión.",
    "%1 esiste ma non si ha il permesso di aprirlo, e nessun gruppo a cui unirsi può "
    "leggerlo e scriverlo (gruppo \"%2\", permessi %3): i suoi permessi devono cambiare. "
    "Come amministratore, aggiungere la riga\n%4\nal file /etc/udev/rules.d/99-karvel.rules, "
    "eseguire sudo udevadm control --reload-rules && sudo udevadm trigger, aggiungere il "
    "proprio account al gruppo dialout (sudo usermod -aG dialout %5), poi uscire e rientrare."};

// ---- Communication settings dialog: what a screen reader says ---------------
// The information box.
inline constexpr Text5 kCommInfoName{"Aide de la connexion", "Connection help",
                                     "Hilfe zur Verbindung", "Ayuda de la conexión",
                                     "Guida alla connessione"};
// The address field under RS232, where its label reads only "COM".
inline constexpr Text5 kCommSerialName{
    "Port série (numéro COM ou périphérique)", "Serial port (COM number or device)",
    "Serielle Schnittstelle (COM-Nummer oder Gerät)", "Puerto serie (número COM o dispositivo)",
    "Porta seriale (numero COM o dispositivo)"};
// The four IP address fields; %1 the byte's position, 1 to 4.
inline constexpr Text5 kCommIpByteName{"Adresse IP, octet %1", "IP address, byte %1",
                                       "IP-Adresse, Byte %1", "Dirección IP, byte %1",
                                       "Indirizzo IP, byte %1"};
inline constexpr Text5 kCommIpByteHint{
    "Un nombre de 0 à 255 ; un point passe à l'octet suivant.",
    "A number from 0 to 255; a full stop moves on to the next byte.",
    "Eine Zahl von 0 bis 255; ein Punkt springt zum nächsten Byte.",
    "Un número de 0 a 255; un punto pasa al byte siguiente.",
    "Un numero da 0 a 255; un punto passa al byte successivo."};
inline constexpr Text5 kCommConnectHint{
    "Enregistre ces réglages et ouvre la connexion à l'oscilloscope.",
    "Keeps these settings and opens the connection to the oscilloscope.",
    "Übernimmt diese Einstellungen und öffnet die Verbindung zum Oszilloskop.",
    "Guarda estos ajustes y abre la conexión con el osciloscopio.",
    "Salva queste impostazioni e apre la connessione all'oscilloscopio."};

// The line that the communication failure message gains: the cause, then
// the address tried (%1).
inline constexpr Text5 kLinkRefused{"Connexion refusée : %1", "Connection refused: %1",
                                    "Verbindung abgelehnt: %1", "Conexión rechazada: %1",
                                    "Connessione rifiutata: %1"};
inline constexpr Text5 kLinkUnreachable{"Hôte injoignable : %1", "Host unreachable: %1",
                                        "Host nicht erreichbar: %1", "Host inalcanzable: %1",
                                        "Host irraggiungibile: %1"};
inline constexpr Text5 kLinkUnknownHost{"Hôte inconnu : %1", "Unknown host: %1",
                                        "Unbekannter Host: %1", "Host desconocido: %1",
                                        "Host sconosciuto: %1"};
inline constexpr Text5 kLinkNoDevice{"Périphérique inexistant : %1", "No such device: %1",
                                     "Gerät nicht vorhanden: %1", "Dispositivo inexistente: %1",
                                     "Dispositivo inesistente: %1"};
inline constexpr Text5 kLinkPermission{"Accès refusé : %1", "Permission denied: %1",
                                       "Zugriff verweigert: %1", "Permiso denegado: %1",
                                       "Permesso negato: %1"};
inline constexpr Text5 kLinkBusy{"Périphérique occupé : %1", "Device busy: %1", "Gerät belegt: %1",
                                 "Dispositivo ocupado: %1", "Dispositivo occupato: %1"};
inline constexpr Text5 kLinkMalformed{"Adresse mal formée : %1", "Malformed address: %1",
                                      "Ungültige Adresse: %1", "Dirección mal formada: %1",
                                      "Indirizzo non valido: %1"};
inline constexpr Text5 kLinkTimeOut{
    "Pas de réponse dans le délai : %1", "No answer within the time-out: %1",
    "Keine Antwort innerhalb der Wartezeit: %1", "Sin respuesta dentro del tiempo de espera: %1",
    "Nessuna risposta entro il tempo di attesa: %1"};
inline constexpr Text5 kLinkLost{"Connexion perdue : %1", "Connection lost: %1",
                                 "Verbindung verloren: %1", "Conexión perdida: %1",
                                 "Connessione persa: %1"};
inline constexpr Text5 kLinkUnrecognised{
    "Réponse d'un appareil non pris en charge : %1", "Answer from an unsupported device: %1",
    "Antwort eines nicht unterstützten Geräts: %1", "Respuesta de un dispositivo no compatible: %1",
    "Risposta di un dispositivo non supportato: %1"};
inline constexpr Text5 kLinkNoPort{"Aucun port USB d'oscilloscope trouvé : %1",
                                   "No oscilloscope USB port found: %1",
                                   "Kein USB-Port eines Oszilloskops gefunden: %1",
                                   "Ningún puerto USB de osciloscopio encontrado: %1",
                                   "Nessuna porta USB dell'oscilloscopio trovata: %1"};
inline constexpr Text5 kLinkOther{"Erreur de liaison : %1", "Link error: %1",
                                  "Verbindungsfehler: %1", "Error de enlace: %1",
                                  "Errore di collegamento: %1"};

// A serial instrument that answered, took the command to change its speed
// and then answered neither at the new speed nor at the old one (%2).
inline constexpr Text5 kLinkSpeedChange{
    "Plus de réponse après le passage à 115200 bauds, ni à %2 bauds : %1",
    "No answer after the change to 115200 baud, nor at %2 baud: %1",
    "Keine Antwort nach dem Wechsel auf 115200 Baud, auch nicht mit %2 Baud: %1",
    "Sin respuesta tras el cambio a 115200 baudios, ni a %2 baudios: %1",
    "Nessuna risposta dopo il passaggio a 115200 baud, né a %2 baud: %1"};
// The instrument kept its serial speed: %1 the speed asked for, %2 the one
// the session goes on at.
inline constexpr Text5 kSpeedKept{
    "L'oscilloscope n'a pas accepté la vitesse de %1 bauds : la liaison reste à %2 bauds.\n"
    "Les transferts seront plus lents. Pour aller plus vite, réglez l'oscilloscope sur %1 bauds.",
    "The oscilloscope did not take the speed of %1 baud: the link stays at %2 baud.\n"
    "Transfers will be slower. For faster ones, set the oscilloscope to %1 baud.",
    "Das Oszilloskop hat die Geschwindigkeit von %1 Baud nicht übernommen: die Verbindung "
    "bleibt bei %2 Baud.\nÜbertragungen werden langsamer. Für schnellere stellen Sie das "
    "Oszilloskop auf %1 Baud ein.",
    "El osciloscopio no aceptó la velocidad de %1 baudios: el enlace sigue a %2 baudios.\n"
    "Las transferencias serán más lentas. Para más rapidez, ajuste el osciloscopio a %1 baudios.",
    "L'oscilloscopio non ha accettato la velocità di %1 baud: il collegamento resta a %2 baud.\n"
    "I trasferimenti saranno più lenti. Per velocizzarli, impostare l'oscilloscopio a %1 baud."};

// The main window's status bar: where the session stands.
inline constexpr Text5 kSessionClosed{"Non connecté", "Not connected", "Nicht verbunden",
                                      "No conectado", "Non connesso"};
inline constexpr Text5 kSessionOpening{"Connexion à %1 ...", "Connecting to %1 ...",
                                       "Verbindung mit %1 ...", "Conectando con %1 ...",
                                       "Connessione a %1 ..."};
inline constexpr Text5 kSessionOpen{"Connecté : %1 sur %2", "Connected: %1 on %2",
                                    "Verbunden: %1 an %2", "Conectado: %1 en %2",
                                    "Connesso: %1 su %2"};
// In place of the model when what answered over the network named none of
// the supported ones; %1 is its reply, escaped.
inline constexpr Text5 kUnidentifiedInstrument{
    "instrument non identifié (réponse : « %1 »)", "unidentified instrument (reply: \"%1\")",
    "nicht erkanntes Gerät (Antwort: „%1“)", "instrumento no identificado (respuesta: «%1»)",
    "strumento non identificato (risposta: «%1»)"};

// What an instrument operation of the windows is doing, shown while it runs.
inline constexpr Text5 kActivitySerialSearch{"Recherche de l'oscilloscope sur %1 à %2 bauds ...",
                                             "Searching the instrument on %1 at %2 baud ...",
                                             "Suche nach dem Oszilloskop an %1 mit %2 Baud ...",
                                             "Buscando el osciloscopio en %1 a %2 baudios ...",
                                             "Ricerca dell'oscilloscopio su %1 a %2 baud ..."};
inline constexpr Text5 kActivityPortSearch{
    "Recherche de l'oscilloscope sur %1 ...", "Searching the instrument on %1 ...",
    "Suche nach dem Oszilloskop an %1 ...", "Buscando el osciloscopio en %1 ...",
    "Ricerca dell'oscilloscopio su %1 ..."};
inline constexpr Text5 kActivitySetup{
    "Préparation de l'oscilloscope ...", "Setting the instrument up ...",
    "Oszilloskop wird eingerichtet ...", "Preparando el osciloscopio ...",
    "Preparazione dell'oscilloscopio ..."};
inline constexpr Text5 kActivityCheck{
    "Vérification de l'oscilloscope sur %1 ...", "Checking the instrument on %1 ...",
    "Oszilloskop an %1 wird geprüft ...", "Comprobando el osciloscopio en %1 ...",
    "Verifica dell'oscilloscopio su %1 ..."};
inline constexpr Text5 kActivityMemoryCatalogue{"Lecture du catalogue de la mémoire interne ...",
                                                "Reading the internal memory catalogue ...",
                                                "Katalog des internen Speichers wird gelesen ...",
                                                "Leyendo el catálogo de la memoria interna ...",
                                                "Lettura del catalogo della memoria interna ..."};
inline constexpr Text5 kActivityCardCatalogue{
    "Lecture du catalogue de la carte SD ...", "Reading the SD card catalogue ...",
    "Katalog der SD-Karte wird gelesen ...", "Leyendo el catálogo de la tarjeta SD ...",
    "Lettura del catalogo della scheda SD ..."};
inline constexpr Text5 kActivityPing{"Ping de %1 ...", "Pinging %1 ...", "Ping an %1 ...",
                                     "Ping a %1 ...", "Ping di %1 ..."};

}  // namespace karvel::text
