// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the "XML Error" box: what went wrong reading or writing a bus
// definition file, in the order of the language index (French, English,
// German, Spanish, Italian). %1, %2 are filled in by the document layer.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::xmltext {

// One per document status.
inline constexpr Text5 kNoError = {"Aucune erreur", "No error", "Kein Fehler", "Ningún error",
                                   "Nessun errore"};
inline constexpr Text5 kCannotOpen = {"Impossible d'ouvrir le fichier", "Cannot open the file",
                                      "Die Datei kann nicht geöffnet werden",
                                      "No se puede abrir el fichero", "Impossibile aprire il file"};
inline constexpr Text5 kMalformed = {
    "Le fichier n'est pas un document XML bien formé", "The file is not well-formed XML",
    "Die Datei ist kein wohlgeformtes XML", "El fichero no es un XML bien formado",
    "Il file non è un XML ben formato"};
inline constexpr Text5 kNoRoot = {
    "Le document n'a pas d'élément racine", "The document has no root element",
    "Das Dokument hat kein Wurzelelement", "El documento no tiene elemento raíz",
    "Il documento non ha un elemento radice"};
inline constexpr Text5 kSeveralRoots = {
    "Le document a plus d'un élément racine", "The document has more than one root element",
    "Das Dokument hat mehr als ein Wurzelelement", "El documento tiene más de un elemento raíz",
    "Il documento ha più di un elemento radice"};
inline constexpr Text5 kTextOutsideRoot = {
    "Texte hors de l'élément racine", "Text outside the root element",
    "Text außerhalb des Wurzelelements", "Texto fuera del elemento raíz",
    "Testo fuori dall'elemento radice"};
inline constexpr Text5 kUnsupportedEncoding = {
    "Le codage des caractères du fichier ne peut pas être lu",
    "The file's character encoding cannot be read",
    "Die Zeichenkodierung der Datei kann nicht gelesen werden",
    "No se puede leer la codificación de caracteres del fichero",
    "La codifica dei caratteri del file non può essere letta"};
inline constexpr Text5 kCannotWrite = {"Impossible d'écrire le fichier", "Cannot write the file",
                                       "Die Datei kann nicht geschrieben werden",
                                       "No se puede escribir el fichero",
                                       "Impossibile scrivere il file"};
inline constexpr Text5 kMissingAttribute = {"Attribut manquant", "Attribute missing",
                                            "Attribut fehlt", "Falta un atributo",
                                            "Attributo mancante"};
inline constexpr Text5 kNotEncodable = {
    "Le texte contient des caractères que le codage du fichier ne peut pas enregistrer",
    "The text holds characters that the file's encoding cannot store",
    "Der Text enthält Zeichen, die die Kodierung der Datei nicht speichern kann",
    "El texto contiene caracteres que la codificación del fichero no puede guardar",
    "Il testo contiene caratteri che la codifica del file non può memorizzare"};
inline constexpr Text5 kOutOfMemory = {"Mémoire insuffisante", "Out of memory",
                                       "Nicht genügend Speicher", "Memoria insuficiente",
                                       "Memoria insufficiente"};
inline constexpr Text5 kOtherError = {"Erreur XML %1", "XML error %1", "XML-Fehler %1",
                                      "Error XML %1", "Errore XML %1"};

// Details.
inline constexpr Text5 kTooLarge = {
    "%1 dépasse %2 Mo, trop pour un fichier de définition de bus",
    "%1 is larger than %2 MB, too large for a bus definition file",
    "%1 ist größer als %2 MB, zu groß für eine Busdefinitionsdatei",
    "%1 supera los %2 MB, demasiado para un fichero de definición de bus",
    "%1 supera i %2 MB, troppo per un file di definizione del bus"};
inline constexpr Text5 kInvalidWide = {
    "données UTF-16/UTF-32 invalides", "invalid UTF-16/UTF-32 data",
    "ungültige UTF-16/UTF-32-Daten", "datos UTF-16/UTF-32 no válidos",
    "dati UTF-16/UTF-32 non validi"};
inline constexpr Text5 kLoneSurrogate = {
    "demi-caractère UTF-16 isolé (0x%1) au caractère %2 ; le fichier ne peut pas être lu sans "
    "le modifier",
    "unpaired UTF-16 surrogate (0x%1) at character %2; the file cannot be read without "
    "changing it",
    "einzelnes UTF-16-Ersatzzeichen (0x%1) bei Zeichen %2; die Datei kann nicht gelesen werden, "
    "ohne sie zu verändern",
    "sustituto UTF-16 sin pareja (0x%1) en el carácter %2; el fichero no se puede leer sin "
    "modificarlo",
    "surrogato UTF-16 spaiato (0x%1) al carattere %2; il file non può essere letto senza "
    "modificarlo"};
inline constexpr Text5 kIncompleteWide = {
    "données UTF-16/UTF-32 incomplètes ; le fichier ne peut pas être lu sans le modifier",
    "incomplete UTF-16/UTF-32 data; the file cannot be read without changing it",
    "unvollständige UTF-16/UTF-32-Daten; die Datei kann nicht gelesen werden, ohne sie zu "
    "verändern",
    "datos UTF-16/UTF-32 incompletos; el fichero no se puede leer sin modificarlo",
    "dati UTF-16/UTF-32 incompleti; il file non può essere letto senza modificarlo"};
inline constexpr Text5 kPosition = {"ligne %1, colonne %2", "line %1, column %2",
                                    "Zeile %1, Spalte %2", "línea %1, columna %2",
                                    "riga %1, colonna %2"};
inline constexpr Text5 kAttributeOfElement = {"%1 de l'élément \"%2\"", "%1 of element \"%2\"",
                                              "%1 des Elements \"%2\"", "%1 del elemento \"%2\"",
                                              "%1 dell'elemento \"%2\""};
inline constexpr Text5 kFirstAttribute = {"premier attribut", "first attribute", "erstes Attribut",
                                          "primer atributo", "primo attributo"};
inline constexpr Text5 kNamedAttribute = {"attribut \"%1\"", "attribute \"%1\"", "Attribut \"%1\"",
                                          "atributo \"%1\"", "attributo \"%1\""};
inline constexpr Text5 kNestedTooDeeply = {
    "éléments imbriqués trop profondément", "elements nested too deeply",
    "Elemente zu tief verschachtelt", "elementos anidados demasiado profundamente",
    "elementi annidati troppo in profondità"};
inline constexpr Text5 kNulCharacter = {"caractère NUL", "NUL character", "NUL-Zeichen",
                                        "carácter NUL", "carattere NUL"};
inline constexpr Text5 kMoreErrors = {"(%1 de plus)", "(%1 more)", "(%1 weitere)", "(%1 más)",
                                      "(altri %1)"};

// What the XML reader found wrong, by its own status.
inline constexpr Text5 kParseUnknown = {"erreur de lecture XML", "XML parse error",
                                        "XML-Lesefehler", "error de lectura XML",
                                        "errore di lettura XML"};
inline constexpr Text5 kParseTag = {"balise invalide", "invalid tag", "ungültiges Tag",
                                    "etiqueta no válida", "tag non valido"};
inline constexpr Text5 kParsePi = {"instruction de traitement ou déclaration invalide",
                                   "invalid processing instruction or declaration",
                                   "ungültige Verarbeitungsanweisung oder Deklaration",
                                   "instrucción de procesamiento o declaración no válida",
                                   "istruzione di elaborazione o dichiarazione non valida"};
inline constexpr Text5 kParseComment = {"commentaire invalide", "invalid comment",
                                        "ungültiger Kommentar", "comentario no válido",
                                        "commento non valido"};
inline constexpr Text5 kParseCdata = {"section CDATA invalide", "invalid CDATA section",
                                      "ungültiger CDATA-Abschnitt", "sección CDATA no válida",
                                      "sezione CDATA non valida"};
inline constexpr Text5 kParseDoctype = {
    "déclaration de type de document invalide", "invalid document type declaration",
    "ungültige Dokumenttyp-Deklaration", "declaración de tipo de documento no válida",
    "dichiarazione del tipo di documento non valida"};
inline constexpr Text5 kParsePcdata = {"texte invalide", "invalid text", "ungültiger Text",
                                       "texto no válido", "testo non valido"};
inline constexpr Text5 kParseStartTag = {"balise ouvrante invalide", "invalid start tag",
                                         "ungültiges Start-Tag", "etiqueta de apertura no válida",
                                         "tag di apertura non valido"};
inline constexpr Text5 kParseAttribute = {"attribut invalide", "invalid attribute",
                                          "ungültiges Attribut", "atributo no válido",
                                          "attributo non valido"};
inline constexpr Text5 kParseEndTag = {"balise fermante invalide", "invalid end tag",
                                       "ungültiges End-Tag", "etiqueta de cierre no válida",
                                       "tag di chiusura non valido"};
inline constexpr Text5 kParseMismatch = {
    "la balise fermante ne correspond pas à la balise ouvrante",
    "end tag does not match the start tag", "End-Tag passt nicht zum Start-Tag",
    "la etiqueta de cierre no coincide con la de apertura",
    "il tag di chiusura non corrisponde a quello di apertura"};

}  // namespace karvel::xmltext
