#include "player/LanguageTables.h"

#include <array>
#include <string>

#include "base/Ascii.h"

namespace player {
namespace {

using namespace lang;
using D = Decoration;
using K = EntryKind;

// Row makers: the component defaults to the key's own name.
constexpr LanguageEntry Text(const char* section, const char* key, const char* def, const char* component = nullptr,
                             D decor = D::None) {
  return {section, key, def, component ? component : key, K::Caption, decor, 0};
}
constexpr LanguageEntry Hint(const char* key, const char* def) { return {kMain, key, def, key, K::Hint, D::None, 0}; }
constexpr LanguageEntry Item(const char* key, const char* def, const char* group, int index) {
  return {kOption, key, def, group, K::Item, D::None, index};
}
constexpr LanguageEntry Page(const char* key, const char* def) {
  return {kOption, key, def, "Notebook", K::PageTitle, D::None, 0};
}
constexpr LanguageEntry Option(const char* key, const char* def, const char* component = nullptr,
                               D decor = D::None) {
  return Text(kOption, key, def, component, decor);
}
constexpr LanguageEntry Step(const char* component, K kind) { return {nullptr, nullptr, "", component, kind, D::None, 0}; }

constexpr LanguageEntry kMainEntries[] = {
    Text(kMenu, "MenuAfficher", "Afficher"),
    Text(kMenu, "MenuResteAffichee", "Reste affichée"),
    Text(kMenu, "MenuShuffle", "Lecture aléatoire"),
    Text(kMenu, "MenuLectureBoucle", "Lecture en boucle"),
    Text(kMenu, "MenuOptions", "Options", "MenuOptions", D::Ellipsis),
    Text(kMenu, "MenuOptions", "Options", "MenuOptions1"),
    Text(kMenu, "MenuOuvrirFichier", "Ouvrir un fichier"),
    Text(kMenu, "MenuPlayPause", "Lecture / Pause"),
    Text(kMain, "SpdBtnPrev", "Précédente", "MenuPrev"),
    Text(kMain, "SpdBtnNext", "Suivante", "MenuNext"),
    Text(kMenu, "MenuQuitter", "Quitter"),
    Text(kMenu, "MenuMettreSuite", "Mettre à la suite", "MenuMettreSuite", D::ThreeBlanks),
    Text(kMenu, "MenuMettreSuite", "Mettre à la suite", "MenuMettreSuite2", D::ThreeBlanks),
    Text(kOption, "CheckSousRep", "Inclure sous-répertoires", "MenuMettreSuiteRecurse"),
    Text(kMenu, "MenuLireRep", "Lire le contenu", "MenuLireRep", D::ThreeBlanks),
    Text(kMenu, "MenuLireRep", "Lire le contenu", "MenuLireRep2", D::ThreeBlanks),
    Text(kOption, "CheckSousRep", "Inclure sous-répertoires", "MenuLireRepRecurse"),
    Text(kMenu, "MenuChansons", "Chansons"),
    Text(kMenu, "MenuExplorerRep", "Explorer le répertoire"),
    Text(kMenu, "MenuEditerPlayliste", "Editer la Liste de lecture"),
    Text(kMenu, "MenuChercherDansRep", "Rechercher..."),
    Text(kMenu, "MenuGererRep", "Gérer les répertoires"),
    Text(kMenu, "MenuRefresh", "Rafraîchir", "MenuRefreshRep"),
    Text(kMenu, "MenuEcouterChanson", "Ecouter"),
    Text(kMenu, "MenuEditeurTag", "Editeur de tag MP3/OGG"),
    Text(kMenu, "MenuSelectAll", "Sélectionner tout"),
    Text(kMenu, "MenuSupprimerChanson", "Supprimer la sélection"),
    Text(kMenu, "MenuRechercherChanson", "Chercher..."),
    Text(kMenu, "MenuSauverListe", "Sauver la playliste"),
    Text(kMenu, "MenuRefresh", "Rafraîchir", "MenuRefreshListe"),
    Text(kMain, "LblLancerRecherche", "< chercher >"),
    Text(kMain, "LblFermeRecherche", "< fermer >"),
    Hint("SpdBtnRep", "Répertoires"),
    Hint("SpdBtnListe", "Playliste"),
    Hint("SpdBtnPrev", "Précédente"),
    Hint("SpdBtnPlay", "Lecture / Pause"),
    Hint("SpdBtnNext", "Suivante"),
    Hint("ProgressBar1", "Position"),
    Hint("ProgressBar2", "Volume"),
    Hint("SpdBtnEgaliseur", "Egaliseur"),
    Hint("SpdBtnOptions", "Options"),
};

constexpr LanguageEntry kOptionEntries[] = {
    Option("Page0", "Options", "", D::WindowTitle),
    Step("LabelVersion", K::Version),
    Page("Page0", "Options"),
    Option("Page0", "Options", "GroupBoxPages"),
    // Page 0: general options.
    Option("GroupBox7", "Autres"),
    Option("CheckBallon", "Afficher ballon"),
    Option("CheckSousRep", "Inclure sous-répertoires"),
    Option("CheckLireMetaTags", "Lire les meta tags"),
    Option("CheckLireCDDB", "Tenter de récupérer les infos CDDB sur internet"),
    Option("CheckShuffle", "Lecture aléatoire"),
    Option("CheckLectureBoucle", "Lecture en boucle"),
    Option("CheckDemarrerLectureLancement", "Démarrer la lecture au lancement du programme"),
    Option("CheckNouvelleVersion", "Vérification automatique nouvelle version"),
    Option("CheckApparitionProgressive", "Apparition progressive de la fenêtre"),
    Option("GroupBox8", "Langues"),
    Option("RadioGroup1", "Démarrer avec windows"),
    Item("RadioGroup1Item0", "Oui", "RadioGroup1", 0),
    Item("RadioGroup1Item1", "Non", "RadioGroup1", 1),
    Option("RadioGroup2", "Réglage du volume"),
    Item("RadioGroup2Item0", "Global à windows", "RadioGroup2", 0),
    Item("RadioGroup2Item1", "Spécifique à Sorivanel", "RadioGroup2", 1),
    Option("GroupOutputDev", "Périphérique de sortie"),
    // Hot keys.
    Page("Page1", "Raccourcis clavier"),
    Option("GroupBox6", "Raccourcis clavier"),
    Option("CheckBox1", "Lecture/Pause"),
    Option("CheckBox2", "Précédente"),
    Option("CheckBox3", "Suivante"),
    Option("CheckBox4", "Volume +"),
    Option("CheckBox5", "Volume -"),
    Option("CheckBox6", "Afficher/Cacher"),
    Option("CheckBox7", "Avancer rapidement"),
    Option("CheckBox8", "Reculer rapidement"),
    // The four apply buttons share one key.
    Option("BtnAppliquer", "Appliquer", "BtnSetHotKey"),
    // Base folders.
    Page("Page2", "Répertoires"),
    Option("GroupBox1", "Répertoire de base"),
    Option("ButtonSupprRep", "Supprimer"),
    Option("ButtonAjouterRep", "Ajouter"),
    Option("CheckStartupFolderUpdate", "Mettre à jours la liste des répertoires au démarrage"),
    // Display.
    Page("Page3", "Affichages"),
    Option("GroupBox15", "Skin"),
    Option("LabelGetMoreSkins", "Get more skin", nullptr, D::Angles),
    Option("LabelEditSkins", "Edit skins", nullptr, D::Angles),
    Option("CheckBoxAlbumCoverPreview", "Album cover preview (display the file \"cover.jpg\" in song folder)"),
    Option("GroupBoxTranspInfoBulle", "Transparence de l'info-bulle"),
    Option("GroupBox3", "Police des listes"),
    Option("BtnIconeDefaut", "Par défaut", "BtnPoliceDefaut"),
    Option("GroupBox2", "Police de l'info-bulle"),
    Option("BtnIconeDefaut", "Par défaut", "BtnBalloonPoliceDefaut"),
    Option("GroupBox9", "Icône de la barre des tâches"),
    Option("BtnChangerIcone", "Changer"),
    Option("BtnIconeDefaut", "Par défaut"),
    Option("CheckAnimerIcone", "Animer l'icône pendant la lecture"),
    // Associations.
    Page("Page4", "Associations"),
    Option("GroupBoxEXT", "Associations avec les fichiers audio"),
    Option("LabelAssocTout", "< tous >"),
    Option("LabelAssocAucun", "< aucun >"),
    Option("GroupBox10", "Icône des fichiers associés à Sorivanel"),
    Option("BtnChangerIcone", "Changer", "BtnChangerIconeFichiers"),
    Option("BtnIconeDefaut", "Par défaut", "BtnIconeFichiersDefaut"),
    Option("RadioGroupCDAudio", "Association avec les CD Audio"),
    Item("RadioGroup1Item0", "Oui", "RadioGroupCDAudio", 0),
    Item("RadioGroup1Item1", "Non", "RadioGroupCDAudio", 1),
    Option("RadioGroupRepertoires", "Association avec les répertoires"),
    Item("RadioGroup1Item0", "Oui", "RadioGroupRepertoires", 0),
    Item("RadioGroup1Item1", "Non", "RadioGroupRepertoires", 1),
    // Song names.
    Page("Page6", "Nom des chansons"),
    Option("GroupBox11", "Si méta tag présent"),
    Option("BtnIconeDefaut", "Par défaut", "LabelDefautFormatNomTag", D::Angles),
    Option("GroupBox14", "Aide", "LabelAideFormatNomTag", D::Angles),
    Option("GroupBox12", "Si pas de méta tag (ou si l'option est désactivée)"),
    Option("BtnIconeDefaut", "Par défaut", "LabelDefautFormatNomSansTag", D::Angles),
    Option("GroupBox14", "Aide", "LabelAideFormatNomSansTag", D::Angles),
    Option("GroupBox13", "Si CD Audio (.cda)"),
    Option("BtnIconeDefaut", "Par défaut", "LabelDefautFormatNomCDA", D::Angles),
    Option("GroupBox14", "Aide", "LabelAideFormatNomCDA", D::Angles),
    Option("GroupBox14", "Aide"),
    Option("BtnAppliquer", "Appliquer", "BtnValiderNomChansons"),
    Step("ListBoxAideFormatNom", K::ClearItems),
    // About.
    Page("Page5", "A propos..."),
    Step("RichEdit1", K::AboutText),
    Option("LabelWebVersion", "Nouvelle version ?", nullptr, D::Angles),
    Option("LabelLicense", "Afficher licence", nullptr, D::Angles),
    // Connection.
    Page("Page7", "Connexion"),
    Option("GroupBoxProxy", "Proxy"),
    Option("CheckBoxProxy", "Passer par un proxy"),
    Option("LabelProxyAddress", "Addresse du proxy"),
    Option("LabelProxyPort", "Port"),
    Option("LabelProxyUser", "User"),
    Option("LabelProxyPass", "Mot de passe"),
    Option("BtnAppliquer", "Appliquer", "BtnValiderProxy"),
    // Track submission and the messenger.
    Page("Page8", "AudioScrobbler / MSN"),
    // The messenger's display name in quotes; the service's address in quotes.
    Option("GroupBoxMSN", "MSN \"Ce que j'écoute\""),
    Option("CheckBoxMSN", "Activer MSN \"Ce que j'écoute\""),
    Option("GroupBoxAudioScrobbler", "AudioScrobbler \"post.sorivanel.invalid\""),
    Option("CheckBoxAudioScrobbler", "Activer le AudioScrobbler \"post.sorivanel.invalid\""),
    Option("LabelProxyUser", "User", "LabelAudioScrobblerUser"),
    Option("LabelProxyPass", "Mot de passe", "LabelAudioScrobblerPass"),
    Option("BtnAppliquer", "Appliquer", "BtnValiderAudioScrobbler"),
    // The log view's link, then the log itself, then the page list.
    Text(kMenu, "MenuRefresh", "Rafraîchir", "LabelOpenAudioScrobblerLog", D::Angles),
    Step("LabelOpenAudioScrobblerLog", K::Click),
    Step("ListBoxPages", K::PageList),
};

constexpr LanguageEntry kTagEditorEntries[] = {
    // The same key as the main menu's item, with a default of its own.
    Text(kMenu, "MenuEditeurTag", "Editeur de méta tags", ""),
    Text(kId3Tag, "CheckArtist", "Artiste", "CheckArtistv1"),
    Text(kId3Tag, "CheckAlbum", "Album", "CheckAlbumv1"),
    Text(kId3Tag, "CheckTitre", "Titre", "CheckTitrev1"),
    Text(kId3Tag, "CheckAnnee", "Année", "CheckAnneev1"),
    Text(kId3Tag, "CheckCom", "Commentaires", "CheckComv1"),
    Text(kId3Tag, "CheckGenre", "Genre", "CheckGenrev1"),
    Text(kId3Tag, "CheckArtist", "Artiste", "CheckArtistv2"),
    Text(kId3Tag, "CheckAlbum", "Album", "CheckAlbumv2"),
    Text(kId3Tag, "CheckTitre", "Titre", "CheckTitrev2"),
    Text(kId3Tag, "CheckAnnee", "Année", "CheckAnneev2"),
    Text(kId3Tag, "CheckCom", "Commentaires", "CheckComv2"),
    Text(kId3Tag, "CheckGenre", "Genre", "CheckGenrev2"),
    // The track's boxes and the two columns' titles.
    Text(kId3Tag, "CheckNb", "No", "CheckNbv1"),
    Text(kId3Tag, "CheckAutoNb", "Auto", "CheckAutoNbv1"),
    Text(kId3Tag, "CheckNb", "No", "CheckNbv2"),
    Text(kId3Tag, "CheckAutoNb", "Auto", "CheckAutoNbv2"),
    Text(kId3Tag, "GroupBox1", "Tag ID3 v1.1"),
    Text(kId3Tag, "GroupBox2", "Tag ID3 v2 / Tag OGG / Tag APE"),
    Text(kId3Tag, "GroupBox3", "Infos fichier"),
    Text(kId3Tag, "GroupBox4", "Liste des fichiers"),
    Text(kId3Tag, "BtnSave", "Enregistrer"),
    Text(kId3Tag, "BtnClose", "Fermer"),
};

constexpr LanguageEntry kEqualizerEntries[] = {
    Text(kMain, "SpdBtnEgaliseur", "Egaliseur", "Label1"),
};

constexpr LanguageEntry kSearchEntries[] = {
    Text(kRecherche, "FormCaption", "Recherche...", ""),
    Text(kRecherche, "GroupBox3", "Répertoire de recherche"),
    Text(kRecherche, "CheckSsRep", "Inclure sous-répertoires"),
    Text(kRecherche, "GroupBox2", "Texte recherché"),
    Text(kRecherche, "GroupBox1", "Rechercher dans"),
    Text(kRecherche, "CheckBox1", "Nom de répertoire"),
    Text(kRecherche, "CheckBox2", "Nom de fichier"),
    Text(kRecherche, "CheckBox3", "Titre de la chanson *"),
    Text(kRecherche, "CheckBox4", "Artiste *"),
    Text(kRecherche, "CheckBox5", "Album *"),
    Text(kRecherche, "Label1", "* Activer ces options peut fortement ralentir la recherche !"),
    Text(kRecherche, "BtnAnnuler", "Annuler"),
    Text(kRecherche, "BtnRechercher", "Chercher"),
};

// The help placeholders are padded with blanks to 12 columns before "=".
constexpr LanguageKey kOtherKeys[] = {
    {kName, "Name", ""},
    {kOption, "AideFormatNom1", "%length     = Durée de la chanson"},
    {kOption, "AideFormatNom2", "%artist     = Nom de l'artiste"},
    {kOption, "AideFormatNom3", "%album      = Nom de l'album"},
    {kOption, "AideFormatNom4", "%tracknb    = Numéro de la chanson"},
    {kOption, "AideFormatNom5", "%tracktitle = Titre de la chanson"},
    {kOption, "AideFormatNom6", "%filename   = Nom du fichier"},
    {kOption, "AideFormatNom7", "%rep0       = Répertoire contenant"},
    {kOption, "AideFormatNom8", "%rep1       = Répertoire supérieur"},
    {kOption, "AideFormatNom9", "%fileext    = Extension du fichier"},
    {kOption, "AideFormatNom10", "%year       = Année de la chanson"},
    {kOption, "LicenseFile", "licence-fr.txt"},
    // A box without its question or notice would leave the user guessing:
    // "11" and "21" have built-in texts too.
    // The tag editor's report of the files it could not write.
    {kId3Tag, "ErreurEcriture", "Les tags de ces fichiers n'ont pas pu être écrits :"},
    {kId3Tag, "EcriturePartielle", "Ces fichiers n'ont été écrits qu'en partie (tags écrits entre parenthèses) :"},
    {kId3Tag, "CopieIgnoree", "Ces fichiers n'ont pas le tag à copier et restent inchangés :"},
    {kMessages, "11", "Confirmer l'opération ?"},
    {kMessages, "12", "Lire avec Sorivanel"},
    {kMessages, "16", "Nouvelle version disponible"},
    {kMessages, "17", "Ouvrir le site?"},
    {kMessages, "18", "Dernière version"},
    {kMessages, "19", "Erreur"},
    {kMessages, "20", "Lecture terminée"},
    {kMessages, "21", "Ce changement prendra effet au prochain démarrage de Sorivanel."},
};

}  // namespace

std::span<const LanguageEntry> LanguageEntries(LangWindow window) {
  switch (window) {
    case LangWindow::Main:
      return kMainEntries;
    case LangWindow::Options:
      return kOptionEntries;
    case LangWindow::TagEditor:
      return kTagEditorEntries;
    case LangWindow::Equalizer:
      return kEqualizerEntries;
    case LangWindow::Search:
      return kSearchEntries;
    case LangWindow::All:
      break;
  }
  return {};
}

std::span<const LanguageKey> OtherLanguageKeys() { return kOtherKeys; }

std::string_view LanguageDefault(std::string_view section, std::string_view key) {
  for (const LanguageKey& known : kOtherKeys)
    if (sv::SameTextAscii(known.Section, section) && sv::SameTextAscii(known.Key, key)) return known.Default;
  return {};
}

bool IsAboutLineKey(std::string_view key) {
  if (key.size() < 3 || key.size() > 4 || key.front() == '0') return false;
  int number = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return number >= 100 && number < 1100;
}

bool IsKnownLanguageKey(std::string_view section, std::string_view key) {
  if (sv::SameTextAscii(section, kApropos)) return IsAboutLineKey(key);
  for (const LanguageKey& known : kOtherKeys)
    if (sv::SameTextAscii(known.Section, section) && sv::SameTextAscii(known.Key, key)) return true;
  for (LangWindow window :
       {LangWindow::Main, LangWindow::Options, LangWindow::TagEditor, LangWindow::Equalizer, LangWindow::Search})
    for (const LanguageEntry& entry : LanguageEntries(window))
      if (entry.Section && sv::SameTextAscii(entry.Section, section) && sv::SameTextAscii(entry.Key, key)) return true;
  return false;
}

}  // namespace player
