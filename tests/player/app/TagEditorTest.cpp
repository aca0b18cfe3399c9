// The tag editor in the running player: opened on the playlist's selection,
// edited through its controls and saved; the playing song is paused for its
// write and goes on from where it was; a read-only file is written and
// stays read-only; a file another program holds is reported and the others
// are written; a mixed selection keeps each file's own tags; a copy skips
// the files without its source; Tab, Enter and Escape work the window.
// Leaves pictures of the window (tag-editor.png, tag-editor-mixed.png) in
// the build folder.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "skin/BmpFile.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"
#include "tests/player/app/PlayerTestSupport.h"
#include "tests/player/app/PngWriter.h"

namespace playertest {
namespace {

class TagEditor : public PlayerProgram {
 protected:
  void ShowWindow() {
    ASSERT_EQ(Second({"/show"}), 0u);
    ASSERT_TRUE(WaitFor("FormShown", "1"));
  }

  // Selects the entries (by index) and presses "I" in the list.
  void OpenEditorOn(const std::vector<int>& entries) {
    editor = OpenTagEditorOn(entries);
    ASSERT_NE(editor, nullptr);
  }

  std::map<std::string, std::string> EditorState(const std::string& component) {
    std::map<std::string, std::string> state;
    auto reply = client.Request(appWindow, {"state", "FormTag", component});
    if (!reply || !reply->ok) return state;
    std::istringstream lines(reply->text);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const auto eq = line.find('=');
      if (eq != std::string::npos) state[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return state;
  }

  void Click(const std::string& component) {
    auto reply = client.Request(appWindow, {"click", "FormTag", component});
    ASSERT_TRUE(reply && reply->ok) << component << ": " << (reply ? reply->text : "no answer");
  }

  void Type(const std::string& component, const std::string& text) {
    HWND control = svtest::FindChildByName(editor, component);
    ASSERT_NE(control, nullptr) << component;
    const std::wstring wide(text.begin(), text.end());
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }

  void Capture(const std::string& pngName) {
    const std::string file = PathOf("editor.bmp");
    auto reply = client.Request(appWindow, {"capture", "FormTag", "", file});
    ASSERT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
    auto image = sv::skin::LoadBmpFile(file);
    ASSERT_TRUE(image);
    WritePng(svtest::BuiltFile("tests/player/app") / pngName, image->Width, image->Height, image->Pixels);
  }

  // Saves and answers the question with Yes; waits until the window is gone.
  void SaveAndWait(std::size_t boxes) {
    watcher->Answer(IDYES);
    Click("BtnSave");
    ASSERT_TRUE(watcher->WaitForBoxes(boxes, 60000));
    ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(editor); }, 60000));
  }

  // One song in the playlist, paused, and the editor open on it.
  std::string OpenEditorOnOneSong() {
    Prepare();
    const std::string song = Place("tagged1.mp3", "song.mp3");
    Start({}, true);
    EXPECT_EQ(Second({song}), 0u);
    EXPECT_TRUE(WaitFor("Entries", "1"));
    EXPECT_TRUE(WaitFor("Playing", "1"));
    EXPECT_EQ(Second({"/play"}), 0u);
    EXPECT_TRUE(WaitFor("Playing", "0"));
    ShowWindow();
    OpenEditorOn({0});
    return song;
  }

  HWND editor = nullptr;
};

TEST_F(TagEditor, EditsTheSelectionAndTheSongGoesOnWhereItWas) {
  Prepare();
  const std::string one = Place("tagged1.mp3", "one.mp3"), two = Place("tagged2.mp3", "two.mp3"),
                    ogg = Place("tune.ogg"), wav = Place("a.wav");
  Start({}, true);
  // Each file handed over plays: the one to play comes last.
  const std::vector<std::string> order = {wav, two, ogg, one};
  for (std::size_t i = 0; i < order.size(); ++i) {
    ASSERT_EQ(Second({order[i]}), 0u);
    ASSERT_TRUE(WaitFor("Entry" + std::to_string(i), order[i]));
  }
  ASSERT_TRUE(WaitFor("CurrentIndex", "3"));
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ShowWindow();
  OpenEditorOn({0, 1, 2, 3});

  // Three taggable files: the WAV file is left out.
  auto files = EditorState("ComboBox1");
  EXPECT_EQ(files["Count"], "4");
  EXPECT_EQ(files["Item0"], "3 file(s)");
  EXPECT_EQ(files["Item1"], "two.mp3");
  EXPECT_EQ(files["Item2"], "tune.ogg");
  EXPECT_EQ(files["Item3"], "one.mp3");
  EXPECT_EQ(EditorState("CheckArtistv1")["Checked"], "0") << "the two artists differ";
  EXPECT_EQ(EditorState("LabelArtistv1")["Enabled"], "0");
  EXPECT_EQ(EditorState("CheckAlbumv1")["Checked"], "1");
  EXPECT_EQ(EditorState("LabelAlbumv1")["Text"], "Album");
  EXPECT_EQ(EditorState("LabelAlbumv1")["MaxLength"], "30");
  EXPECT_EQ(EditorState("LabelComv1")["MaxLength"], "29");
  EXPECT_EQ(EditorState("LabelNbv1")["MaxLength"], "2");
  EXPECT_EQ(EditorState("CheckTitrev2")["Checked"], "0") << "the Ogg title differs from the songs'";
  EXPECT_EQ(EditorState("CheckAutoNbv1")["Enabled"], "0") << "only with the track box ticked";
  EXPECT_EQ(EditorState("ComboGenrev1")["Count"], "148");
  EXPECT_EQ(EditorState("ComboGenrev1")["Item0"], "A capella") << "sorted by name";
  EXPECT_EQ(EditorState("LabelInfos")["Caption"], "...");
  for (const char* button : {"BtnSave", "Btnv1v2", "Btnv2v1", "BtnClose"})
    EXPECT_EQ(EditorState(button)["Enabled"], "1") << button;
  Capture("tag-editor.png");

  // Edits: a new album, numbered in order, the genre by its name, a comment.
  Type("LabelAlbumv1", "Edited album");
  EXPECT_EQ(EditorState("CheckNbv1")["Checked"], "0") << "the tracks differ";
  Click("CheckNbv1");
  ASSERT_TRUE(svtest::WaitUntil([&] { return EditorState("CheckAutoNbv1")["Enabled"] == "1"; }));
  Click("CheckAutoNbv1");
  ASSERT_TRUE(svtest::WaitUntil([&] { return EditorState("CheckAutoNbv1")["Checked"] == "1"; }));
  EXPECT_EQ(EditorState("LabelNbv1")["Enabled"], "0") << "numbered automatically";
  Type("ComboGenrev1", "Jazz");
  Type("LabelComv2", "Edited");

  // Far into the playing song, then save.
  auto reply = client.Request(appWindow, {"click", "Form1", "ProgressBar1"});
  ASSERT_TRUE(reply && reply->ok);
  const long long before = std::stoll(Value("Position", "ProgressBar1"));
  ASSERT_GT(before, 0);
  EXPECT_EQ(Value("FormShown"), "1") << "the list stays while the editor is open";
  SaveAndWait(1);
  EXPECT_EQ(Value("CurrentIndex"), "3");
  ASSERT_TRUE(WaitFor("Playing", "1"));
  // The song went on from where it was paused, not from its start.
  EXPECT_GE(std::stoll(Value("Position", "ProgressBar1")), before);

  const auto seen = watcher->Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Sorivanel");
  const char* artists[] = {"Artist One", "Artist Two"};
  for (int i = 0; i < 2; ++i) {
    const std::string path = i == 0 ? one : two;
    SCOPED_TRACE(path);
    sv::tags::TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(path));
    EXPECT_EQ(v1.Album, "Edited album");
    EXPECT_EQ(v1.Artist, artists[i]);
    EXPECT_EQ(v1.Track, i == 0 ? 3 : 1) << "numbered in playlist order";
    EXPECT_EQ(v1.GetGenre(), "Jazz");
    sv::tags::TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(path, true));
    EXPECT_EQ(v2.Comment, "Edited");
    EXPECT_EQ(v2.Title, "cover1.mp3") << "unticked: kept";
    EXPECT_FALSE(v2.Picture.empty()) << "the cover stays";
  }
  sv::tags::TOggVorbis back;
  ASSERT_TRUE(back.ReadFromFile(ogg));
  EXPECT_EQ(back.Comment, "Edited");
  EXPECT_EQ(back.Title, "Ogg title");
  Quit();
}

TEST_F(TagEditor, OneSongShowsItsStreamAndCopiesItsId3v1TagIntoId3v2) {
  const std::string song = OpenEditorOnOneSong();
  ASSERT_FALSE(HasFatalFailure());
  auto files = EditorState("ComboBox1");
  EXPECT_EQ(files["Count"], "1");
  EXPECT_EQ(files["Item0"], "song.mp3");
  // The nine lines of the frame header's text, as the state's lines.
  auto reply = client.Request(appWindow, {"state", "FormTag", "LabelInfos"});
  ASSERT_TRUE(reply && reply->ok);
  const std::string info = reply->text;
  EXPECT_NE(info.find("Caption=Size : 84899 bytes"), std::string::npos) << info;
  EXPECT_NE(info.find("MPEG 2.5 Layer 3\r\n32 Kbit/s, 8000 Hz"), std::string::npos) << info;
  // A duration, whatever the user's clock format.
  EXPECT_NE(info.find("Duration : 21.22s (00:00:21)\r\n"), std::string::npos) << info;
  EXPECT_EQ(EditorState("LabelTitrev2")["Text"], "cover1.mp3");
  EXPECT_EQ(EditorState("LabelArtistv1")["Text"], "Artist One");

  watcher->Answer(IDYES);
  Click("Btnv1v2");
  ASSERT_TRUE(watcher->WaitForBoxes(1, 60000));
  ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(editor); }, 60000));
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(song, true));
  EXPECT_EQ(v2.Title, "Title");
  EXPECT_EQ(v2.Artist, "Artist One");
  EXPECT_EQ(v2.Track, 4);
  EXPECT_EQ(v2.Genre, "Rock");
  EXPECT_FALSE(v2.Picture.empty()) << "the cover stays";
  Quit();
}

TEST_F(TagEditor, TabEnterAndEscapeWorkTheWindowAsADialog) {
  const std::string song = OpenEditorOnOneSong();
  ASSERT_FALSE(HasFatalFailure());
  const auto focused = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &info);
    return info.hwndFocus;
  };
  const auto control = [&](const char* name) { return svtest::FindChildByName(editor, name); };

  // Tab goes from a field to the next control made.
  svtest::PostTo(control("LabelAlbumv1"), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return focused() == control("CheckTitrev1"); }, 20000));
  // Enter in a field asks whether to save; "No" keeps the window and the file.
  std::string before;
  {
    std::ifstream in(svtest::PathFromUtf8(song), std::ios::binary);
    before.assign(std::istreambuf_iterator<char>(in), {});
  }
  watcher->Answer(IDNO);
  svtest::PostTo(control("LabelArtistv1"), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(watcher->WaitForBoxes(1, 20000));
  EXPECT_EQ(watcher->Seen()[0].title, "Sorivanel");
  EXPECT_TRUE(IsWindow(editor));
  // Escape closes it, without writing.
  svtest::PostTo(control("LabelTitrev2"), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(editor); }, 20000));
  std::ifstream in(svtest::PathFromUtf8(song), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
  Quit();
}

TEST_F(TagEditor, AReadOnlyFileIsWrittenAndAHeldOneIsReported) {
  const std::string names[] = {"readonly.mp3", "held.mp3", "free.mp3"};
  Prepare({}, "");
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(Place("tagged1.mp3", name));
  const std::wstring readOnly = svtest::PathFromUtf8(paths[0]).wstring();
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  Start({}, true);
  // The first entry added plays: it is paused, so that nothing plays.
  for (std::size_t i = 0; i < paths.size(); ++i) {
    ASSERT_EQ(Second({paths[i]}), 0u);
    ASSERT_TRUE(WaitFor("Entry" + std::to_string(i), paths[i]));
  }
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "0"));
  ShowWindow();
  OpenEditorOn({0, 1, 2});

  std::string heldBefore;
  {
    // Another program holds the file: nobody else may open it.
    std::ifstream in(svtest::PathFromUtf8(paths[1]), std::ios::binary);
    heldBefore.assign(std::istreambuf_iterator<char>(in), {});
  }
  HANDLE held = CreateFileW(svtest::PathFromUtf8(paths[1]).wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Type("LabelAlbumv1", "Written");
  SaveAndWait(2);
  CloseHandle(held);

  const auto seen = watcher->Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[1].text.find("held.mp3"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].text.find("free.mp3"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].text.find("readonly.mp3"), std::string::npos) << seen[1].text;
  for (int i : {0, 2}) {
    sv::tags::TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(paths[static_cast<std::size_t>(i)]));
    EXPECT_EQ(v1.Album, "Written") << names[i];
  }
  EXPECT_NE(GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "still read-only";
  std::ifstream in(svtest::PathFromUtf8(paths[1]), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), heldBefore) << "the held file is untouched";
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  Quit();
}

// The files of a mixed selection: with and without each tag, a short and a
// five-channel Ogg stream, WavPack, Musepack and Monkey's Audio files.
constexpr const char* kMixedFiles[] = {"both.mp3",  "v2only.mp3", "v1only.mp3", "plain.mp3",
                                       "short.ogg", "five.ogg",   "long.ogg",   "tagged.wv",
                                       "plain.wv",  "tagged.mpc", "plain.ape"};

// The user edits one field of each column of a mixed selection and saves:
// each file keeps its own values, pictures and other programs' items. With
// SV_TAG_RESULTS set (tag_editor_mutagen.sh) the files are copied there for
// mutagen to compare with the originals.
TEST_F(TagEditor, AMixedSelectionKeepsEachFilesOwnTags) {
  std::string list = "#EXTM3U\r\n";
  for (const char* name : kMixedFiles) list += std::string(name) + "\r\n";
  Prepare({}, list);
  folder.CopyIn(svtest::BuiltFile("tests/player/app/sonotagged.dll"));
  std::vector<std::string> paths;
  for (const char* name : kMixedFiles) paths.push_back(Place(std::string("editor/") + name, name));
  Start({}, true);
  ASSERT_TRUE(WaitFor("Entries", std::to_string(std::size(kMixedFiles))));
  ShowWindow();
  std::vector<int> all;
  for (std::size_t i = 0; i < std::size(kMixedFiles); ++i) all.push_back(static_cast<int>(i));
  OpenEditorOn(all);
  EXPECT_EQ(EditorState("ComboBox1")["Item0"], std::to_string(std::size(kMixedFiles)) + " file(s)");
  // No field is shared by every file: none may carry one file's value into
  // the others.
  for (const char* check : {"CheckArtist", "CheckAlbum", "CheckTitre", "CheckAnnee", "CheckNb", "CheckCom",
                            "CheckGenre"})
    for (const char* column : {"v1", "v2"})
      EXPECT_EQ(EditorState(std::string(check) + column)["Checked"], "0") << check << column;
  Capture("tag-editor-mixed.png");

  Click("CheckAlbumv1");
  Click("CheckComv2");
  ASSERT_TRUE(svtest::WaitUntil([&] { return EditorState("LabelComv2")["Enabled"] == "1"; }));
  Type("LabelAlbumv1", "Edited album");
  Type("LabelComv2", "Edited comment");
  SaveAndWait(1);
  EXPECT_EQ(watcher->Seen().size(), 1u) << "every file written: no report";

  sv::tags::TID3v1 v1;
  ASSERT_TRUE(v1.ReadFromFile(PathOf("v1only.mp3")));
  EXPECT_EQ(v1.Title, "Song B");
  EXPECT_EQ(v1.Album, "Edited album");
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(PathOf("v1only.mp3")));
  EXPECT_EQ(v2.Title, "") << "no other file's title";
  EXPECT_EQ(v2.Comment, "Edited comment");
  ASSERT_TRUE(v2.ReadFromFile(PathOf("v2only.mp3"), true));
  EXPECT_EQ(v2.Title, "Song A");
  EXPECT_FALSE(v2.Picture.empty());
  for (const char* name : {"short.ogg", "five.ogg"}) {
    sv::tags::TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(PathOf(name)));
    EXPECT_NE(ogg.Title, "") << name << ": its comments stay";
    EXPECT_EQ(ogg.Comment, "Edited comment") << name;
  }
  if (const char* results = std::getenv("SV_TAG_RESULTS"))
    for (const std::string& path : paths)
      std::filesystem::copy_file(svtest::PathFromUtf8(path),
                                 std::filesystem::path(results) / svtest::PathFromUtf8(path).filename(),
                                 std::filesystem::copy_options::overwrite_existing);
  Quit();
}

// "ID3 v1 -> v2" over files with and without an ID3v1 record: those without
// are left as they were and named as skipped, not as failed.
TEST_F(TagEditor, ACopySkipsTheFilesWithoutItsSource) {
  const char* names[] = {"v1only.mp3", "v2only.mp3", "plain.mp3"};
  std::string list = "#EXTM3U\r\n";
  for (const char* name : names) list += std::string(name) + "\r\n";
  Prepare({}, list);
  for (const char* name : names) Place(std::string("editor/") + name, name);
  const std::string v2Before = folder.Read("v2only.mp3").value_or("");
  const std::string plainBefore = folder.Read("plain.mp3").value_or("");
  Start({}, true);
  ASSERT_TRUE(WaitFor("Entries", "3"));
  ShowWindow();
  OpenEditorOn({0, 1, 2});
  watcher->Answer(IDYES);
  Click("Btnv1v2");
  ASSERT_TRUE(watcher->WaitForBoxes(2, 60000));
  ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(editor); }, 60000));
  const auto seen = watcher->Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[1].text.find("v2only.mp3"), std::string::npos) << seen[1].text;
  EXPECT_NE(seen[1].text.find("plain.mp3"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].text.find("v1only.mp3"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].text.find("n'ont pas pu"), std::string::npos) << "skipped, not failed: " << seen[1].text;
  EXPECT_EQ(folder.Read("v2only.mp3").value_or(""), v2Before);
  EXPECT_EQ(folder.Read("plain.mp3").value_or(""), plainBefore);
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(PathOf("v1only.mp3")));
  EXPECT_EQ(v2.Title, "Song B");
  Quit();
}

// A file whose ID3v2 tag cannot be rewritten safely gets its ID3v1 record
// only: the report says it was partly written and names that tag.
TEST_F(TagEditor, AFileWithOnlyItsId3v1WrittenIsReportedAsPartlyWritten) {
  Prepare({}, "#EXTM3U\r\nrefused.mp3\r\nplain.mp3\r\n");
  for (const char* name : {"refused.mp3", "plain.mp3"}) Place(std::string("editor/") + name, name);
  Start({}, true);
  ASSERT_TRUE(WaitFor("Entries", "2"));
  ShowWindow();
  OpenEditorOn({0, 1});
  // Neither file has an album: the boxes start ticked.
  EXPECT_EQ(EditorState("CheckAlbumv1")["Checked"], "1");
  EXPECT_EQ(EditorState("CheckAlbumv2")["Checked"], "1");
  Type("LabelAlbumv1", "Edited album");
  Type("LabelAlbumv2", "Edited album");
  SaveAndWait(2);
  const auto seen = watcher->Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[1].text.find("en partie"), std::string::npos) << seen[1].text;
  EXPECT_NE(seen[1].text.find("refused.mp3 (ID3 v1)"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].text.find("n'ont pas pu"), std::string::npos) << "not reported as unwritten: " << seen[1].text;
  EXPECT_EQ(seen[1].text.find("plain.mp3"), std::string::npos) << seen[1].text;
  sv::tags::TID3v1 v1;
  ASSERT_TRUE(v1.ReadFromFile(PathOf("refused.mp3")));
  EXPECT_EQ(v1.Album, "Edited album");
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(PathOf("plain.mp3")));
  EXPECT_EQ(v2.Album, "Edited album");
  Quit();
}

}  // namespace
}  // namespace playertest
