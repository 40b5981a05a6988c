#include "mainsetup.h"

#include "host.h"
#include "host_record.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every test runs in a fresh empty folder, as the editor runs in the drawing
// folder.
class Usf : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/usf_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ASSERT_NE(getcwd(old_, sizeof old_), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    MainSetupReset();
    rec_ = &HostRecordInstall();
  }
  void TearDown() override {
    HostRecordRemove();
    ASSERT_EQ(chdir(old_), 0);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  static void Put(const char* name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string Get(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Reads the text as QUIL7.USF into freshly reset settings.
  static void ReadText(const std::string& text) {
    Put("QUIL7.USF", text);
    MainSetupReset();
    ASSERT_EQ(MainSetupRead(), 1);
  }
  static std::string WrittenText() {
    EXPECT_EQ(MainSetupWrite(), 1);
    return Get("QUIL7.USF");
  }
  static bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
  }
  std::string dir_;
  char old_[4096];
  HostRecord* rec_ = nullptr;
};

TEST_F(Usf, KeysMatchWithTheirEqualsSignWithoutRegardToCase) {
  ReadText(
      "LAYER=Metal1 7\n"
      "tlayer=5\n"
      "winx10=70\n"
      "winx1=10\n"
      "Scale=500\n"
      "PHYSUNIT=nm\n"
      "layernumonly=0\n"
      "physunitx=zz\n"
      "scalefactor=3\n"
      "cellname=INV2\n");
  EXPECT_EQ(MainSetup.layerCount, 1);
  EXPECT_STREQ(MainSetup.layers[0].name, "Metal1");
  EXPECT_EQ(MainSetup.layers[0].number, 7);
  EXPECT_EQ(MainSetup.tlayer, 5);
  EXPECT_EQ(MainSetup.rankView[10].winx, 70);
  EXPECT_EQ(MainSetup.rankView[1].winx, 10);
  EXPECT_EQ(MainSetup.scale, 500.0);
  EXPECT_STREQ(MainSetup.physunit, "nm");
  EXPECT_EQ(MainSetup.layerNumOnly, 0);
  EXPECT_STREQ(MainSetup.cellname, "INV2");
  EXPECT_TRUE(rec_->messages.empty());
}

TEST_F(Usf, ValuesThatLaterCodeCannotUseAreNotTaken) {
  struct Case {
    const char* line;
    double scale;
    int bplayer, topdepth, drawres, colour, fill;
  } cases[] = {
      {"scale=", 1000, 1, 0, 1000, 12, 0},
      {"scale=0", 1000, 1, 0, 1000, 12, 0},
      {"scale=-5", 1000, 1, 0, 1000, 12, 0},
      {"scale=nan", 1000, 1, 0, 1000, 12, 0},
      {"scale=1e999", 1000, 1, 0, 1000, 12, 0},
      {"scale=250.5", 250.5, 1, 0, 1000, 12, 0},
      {"bplayer=0", 1000, 1, 0, 1000, 12, 0},
      {"bplayer=257", 1000, 1, 0, 1000, 12, 0},
      {"bplayer=256", 1000, 256, 0, 1000, 12, 0},
      {"bplayer=99999999999999", 1000, 1, 0, 1000, 12, 0},
      {"topdepth=25", 1000, 1, 0, 1000, 12, 0},
      {"topdepth=3", 1000, 1, 3, 1000, 12, 0},
      {"drawres=0", 1000, 1, 0, 1000, 12, 0},
      {"attr1=22 15 3", 1000, 1, 0, 1000, 7, 0},
      {"attr1=-1 -1", 1000, 1, 0, 1000, 7, 0},
      {"attr1=4 13 1", 1000, 1, 0, 1000, 4, 13},
      {"attr1=", 1000, 1, 0, 1000, 7, 0},
  };
  for (const Case& c : cases) {
    ReadText(std::string(c.line) + "\n");
    EXPECT_EQ(MainSetup.scale, c.scale) << c.line;
    EXPECT_EQ(MainSetup.bplayer, c.bplayer) << c.line;
    EXPECT_EQ(MainSetup.topdepth, c.topdepth) << c.line;
    EXPECT_EQ(MainSetup.drawres, c.drawres) << c.line;
    EXPECT_EQ(MainSetup.attr[0].colour, c.colour) << c.line;
    EXPECT_EQ(MainSetup.attr[0].fill, c.fill) << c.line;
  }
}

TEST_F(Usf, LayerLines) {
  ReadText(
      "layer=WELL 300\n"     // out of range: takes no slot
      "layer=ACTIVE 2\n"
      "layer=POLYSILICON 5\n"  // name cut to 8 characters
      "layer=EMPTY\n"        // number missing: an empty row
      "layer=\n"             // nothing: still a slot
      "layer=NEG -1\n"
      "layer=TOP 256\n");
  ASSERT_EQ(MainSetup.layerCount, 5);
  struct Row {
    const char* name;
    int number;
  } rows[] = {{"ACTIVE", 2}, {"POLYSILI", 5}, {"EMPTY", 0}, {"NONE", 0}, {"TOP", 256}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(MainSetup.layers[i].name, rows[i].name) << i;
    EXPECT_EQ(MainSetup.layers[i].number, rows[i].number) << i;
  }
}

TEST_F(Usf, LayerTableStopsAt256Rows) {
  std::string text;
  for (int i = 1; i <= 260; ++i) text += "layer=L" + std::to_string(i) + " " + std::to_string(i % 257) + "\n";
  ReadText(text);
  EXPECT_EQ(MainSetup.layerCount, 256);
  EXPECT_STREQ(MainSetup.layers[255].name, "L256");
}

TEST_F(Usf, NumberedKeys) {
  ReadText(
      "attr4=\n"
      "attr04=1 1 1\n"   // not a key the file writes
      "attr257=1 1 1\n"
      "vmap2_17=12345678901234567890\n"
      "omap0_1=5\n"
      "vmap4_1=9\n"      // word 4 does not exist
      "vmap0_25=9\n"     // nor rank 25
      "savewinw0=77\n"   // slot 0 is never read back
      "savewinw9=88.5\n"
      "rdp12=C:\\Tools\\App.exe\n"
      "rdp1=x\n"
      "rdf15=notes.txt\n"
      "cmdline23=zoom 0,0 10,10\n"
      "scnrgb21=16711935\n"
      "wgrid10=500\n"
      "nwgrid24=3\n"
      "nwgrid23=11\n"    // only 0..10 index a grid
      "viewstr24=1-10\n");
  EXPECT_EQ(MainSetup.attr[3].colour, 7);
  EXPECT_EQ(MainSetup.attr[3].fill, 0);
  EXPECT_EQ(MainSetup.attr[3].dash, 0);
  EXPECT_EQ(MainSetup.attr[0].colour, 12);
  EXPECT_EQ(MainSetup.vmap[17][2], 12345678901234567890ull);
  EXPECT_EQ(MainSetup.omap[1][0], 5u);
  EXPECT_EQ(MainSetup.vmap[1][0], ~0ull);
  EXPECT_EQ(MainSetup.saveWin[0].w, 10000.0);
  EXPECT_EQ(MainSetup.saveWin[9].w, 88.5);
  EXPECT_STREQ(MainSetup.rdp[12], "C:\\Tools\\App.exe");
  EXPECT_STREQ(MainSetup.rdp[1], "x");
  EXPECT_STREQ(MainSetup.rdp[10], "");
  EXPECT_STREQ(MainSetup.rdf[15], "notes.txt");
  EXPECT_STREQ(MainSetup.cmdline[23], "zoom 0,0 10,10");
  EXPECT_EQ(MainSetup.scnrgb[21].r, 255);
  EXPECT_EQ(MainSetup.scnrgb[21].g, 0);
  EXPECT_EQ(MainSetup.scnrgb[21].b, 255);
  EXPECT_EQ(MainSetup.wgrid[9], 500);
  EXPECT_EQ(MainSetup.rankView[24].nwgrid, 3);
  EXPECT_EQ(MainSetup.rankView[23].nwgrid, 1);
  EXPECT_STREQ(MainSetup.viewstr[24], "1-10");
}

TEST_F(Usf, SurplusListLinesAreIgnored) {
  std::string text;
  for (int i = 0; i < 13; ++i) text += "fkey=line" + std::to_string(i) + "\n";
  for (int i = 0; i < 7; ++i) text += "font=c:font" + std::to_string(i) + "\\x\\y.tff\n";
  for (int i = 0; i < 34; ++i) text += "res=" + std::to_string(i) + ",2 3 4 comment_that_is_longer_than_24\n";
  ReadText(text);
  EXPECT_EQ(MainSetup.fkeyCount, 11);
  EXPECT_STREQ(MainSetup.fkeys[10], "line10");
  EXPECT_EQ(MainSetup.fontCount, 10);
  EXPECT_STREQ(MainSetup.fonts[5], "C:\\Font0\\X\\Y.tff");
  EXPECT_STREQ(MainSetup.fonts[9], "C:\\Font4\\X\\Y.tff");
  EXPECT_EQ(MainSetup.resCount, 32);
  EXPECT_EQ(MainSetup.res[31].sheet, 31.0);
  EXPECT_EQ(MainSetup.res[31].endCorr, 2.0);
  EXPECT_EQ(MainSetup.res[31].width, 4.0);
  EXPECT_STREQ(MainSetup.res[31].comment, "comment_that_is_longer_t");
}

TEST_F(Usf, AFileWithoutAKeyKeepsTheDefault) {
  ReadText("version=7.0.91\n\n   \nnonsense\n");
  EXPECT_EQ(MainSetup.scale, 1000.0);
  EXPECT_STREQ(MainSetup.physunit, "um");
  EXPECT_EQ(MainSetup.togs, 642);
  EXPECT_EQ(MainSetup.layerCount, 0);
}

TEST_F(Usf, LongValuesAreCutToTheirField) {
  std::string longText(900, 'a');
  ReadText("arcdir=" + longText + "\ncellname=" + longText + "\nfkey=" + longText + "\n" + "arcdir=ab     cdef\n");
  EXPECT_STREQ(MainSetup.arcdir, "ab");  // cut to 7, trailing blanks dropped
  EXPECT_EQ(std::string(MainSetup.cellname), std::string(35, 'a'));
  EXPECT_EQ(std::string(MainSetup.fkeys[0]), std::string(79, 'a'));
}

TEST_F(Usf, ALineLongerThanTheBufferIsReadInPieces) {
  // 1022 characters, then the rest of the line is a line of its own.
  std::string line = "cmdline0=" + std::string(1013, 'x') + "scale=42";
  ReadText(line + "\n");
  EXPECT_EQ(MainSetup.scale, 42.0);
  EXPECT_EQ(std::string(MainSetup.cmdline[0]), std::string(79, 'x'));
}

TEST_F(Usf, CarriageReturnsAndTrailingBlanksAreTidiedAway) {
  ReadText("physunit=mm  \r\nlayer=M1 7\t\r\n");
  EXPECT_STREQ(MainSetup.physunit, "mm");
  EXPECT_EQ(MainSetup.layers[0].number, 7);
}

TEST_F(Usf, TheOldNameIsReadWhenTheNewOneIsMissing) {
  Put("QUIL6.USF", "scale=20\n");
  EXPECT_EQ(MainSetupRead(), 1);
  EXPECT_EQ(MainSetup.scale, 20.0);
  Put("QUIL7.USF", "scale=30\n");
  EXPECT_EQ(MainSetupRead(), 1);
  EXPECT_EQ(MainSetup.scale, 30.0);
  EXPECT_TRUE(rec_->messages.empty());
}

TEST_F(Usf, EarlyReadTakesOnlyTheWindowKeys) {
  Put("QUIL7.USF",
      "screentop=10\nscreenleft=20\nscreenbottom=300\nscreenright=400\nscreenmode=1\n"
      "tooltext=0\nlockframe=1\nwinemods=1\nscale=5\nlayer=A 1\nnotips=1\n");
  EXPECT_EQ(MainSetupReadEarly(), 1);
  EXPECT_EQ(MainSetup.screentop, 10);
  EXPECT_EQ(MainSetup.screenleft, 20);
  EXPECT_EQ(MainSetup.screenbottom, 300);
  EXPECT_EQ(MainSetup.screenright, 400);
  EXPECT_EQ(MainSetup.screenmode, 1);
  EXPECT_EQ(MainSetup.texttoolbar, 0);
  EXPECT_EQ(MainSetup.lockframe, 1);
  EXPECT_EQ(MainSetup.winemods, 1);
  EXPECT_EQ(MainSetup.scale, 1000.0);
  EXPECT_EQ(MainSetup.layerCount, 0);
  EXPECT_EQ(MainSetup.notips, 0);
}

TEST_F(Usf, NoFileLeavesEverythingAsItWas) {
  MainSetup.scale = 77;
  EXPECT_EQ(MainSetupReadEarly(), 0);
  EXPECT_EQ(MainSetupRead(), 0);
  EXPECT_EQ(MainSetup.scale, 77.0);
}

TEST_F(Usf, TheDefaultFileCarriesTheRealDefaults) {
  ASSERT_EQ(MainSetupLoad(), 1);
  std::string text = Get("QUIL7.USF");
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(rec_->messages.size(), 1u);
  EXPECT_EQ(rec_->messages[0].text, "A Default Setup File was written to the Drawing Folder");
  EXPECT_EQ(rec_->messages[0].caption, "Default Setup");
  const char* lines[] = {
      "version=7.0.91", "alphasort=1", "csize=15", "botdepth=24", "drawres=1000", "celldrawres=200",
      "arcsegs=16", "prnbw=1024", "twidth=15", "togs=642", "layernumonly=1", "layertableon=1",
      "texttoolbar=1", "mctlayer=256", "turnsegs=10", "stdmsgbox=1", "caval=1", "rval=2500",
      "prnupi=25400", "rotangle=90", "scale=1000", "xarcradius=10", "printlimit=72", "polarangle=45",
      "aspect=1", "arcdir=cw", "capunits=pF", "objname=B", "physunit=um", "common=", "cellname=",
      "attr1=12 0 0", "attr2=16 0 0", "attr13=7 0 0", "attr14=12 0 0", "attr256=9 0 0",
      "nwgrid1=1", "ndgrid24=1", "vgrid1=0", "winw1=10000", "winx1=0", "viewstr1=1-64",
      "openstr24=1-64", "savewinw0=10000", "savewinx9=0", "vmap0_1=18446744073709551615",
      "vmap1_1=0", "omap0_24=18446744073709551615", "cmdline0=", "scriptfile23=",
      "scnrgb0=0", "scnrgb9=16719904", "scnrgb15=16777215", "prnrgb9=16711680", "rdp0=", "rdf15=",
  };
  for (const char* line : lines) EXPECT_TRUE(HasLine(text, line)) << line;
  EXPECT_EQ(text.find("\nlayer="), std::string::npos);  // no layer lines
  // Reading it back changes nothing.
  std::string again = text;
  ReadText(text);
  EXPECT_EQ(WrittenText(), again);
}

TEST_F(Usf, TheDefaultMessageComesOnlyAfterASuccessfulWrite) {
  // A folder in the way of the scratch file makes every write fail.
  ASSERT_EQ(mkdir("QUIL7.US$", 0755), 0);
  EXPECT_EQ(MainSetupLoad(), 0);
  ASSERT_EQ(rec_->messages.size(), 1u);
  EXPECT_EQ(rec_->messages[0].text, "Unable to Write QUIL7.USF File ... Unknown Reason");
  EXPECT_EQ(rec_->messages[0].captionKind, HOST_CAP_ERROR);
}

TEST_F(Usf, AFailedWriteKeepsTheOldFile) {
  Put("QUIL7.USF", "layer=M1 7\n");
  ASSERT_EQ(mkdir("QUIL7.US$", 0755), 0);
  EXPECT_EQ(MainSetupWrite(), 0);
  EXPECT_EQ(Get("QUIL7.USF"), "layer=M1 7\n");
}

TEST_F(Usf, ReadWriteReadReachesAFixedPoint) {
  const char* inputs[] = {
      "layer=NWELL 1\nlayer=ACTIVE 2\nLAYER=poly 5\nlayer=\nlayer=x 300\nfont=d:fonts\\a.tff\n"
      "res=25.5,0.1 0.2 1e-3 poly_sheet\nres=1\nfkey=zoom 0,0 5,5\nfkey=\nscale=1234.56789012\n"
      "togs=706\ntopdepth=2\nphysunit=nm\ncellname=TOP\nattr1=3 13 2\nattr9=-4 99 7\n"
      "wgrid1=5\ndgrid10=-7\nwinw3=-1\nviewstr3=1-3 5\nsavewinw4=1.5e300\nvmap3_24=1\n"
      "cmdline0=get  \nscnrgb3=4294967295\nprnrgb1=-1\nrdp0=Notepad.exe\nrdf0=\"a b.txt\"\n",
      "arcdir=ab     cdef\nobjname=INV\ncommon=c:\\lib\nreszmult=-0\nxarcctr=1e-310\n",
      "",
  };
  for (const char* input : inputs) {
    ReadText(input);
    std::string first = WrittenText();
    ReadText(first);
    std::string second = WrittenText();
    EXPECT_EQ(first, second) << input;
  }
  // What the writer masked away on the first pass stays away.
  ReadText(inputs[0]);
  EXPECT_EQ(MainSetup.togs, 706);
  std::string text = WrittenText();
  EXPECT_TRUE(HasLine(text, "togs=642")) << "the polar bit 0x40 is not saved";
  EXPECT_TRUE(HasLine(text, "layer=NONE 0"));
  EXPECT_TRUE(HasLine(text, "layer=poly 5"));
  EXPECT_TRUE(HasLine(text, "font=D:\\Fonts\\A.tff"));
  EXPECT_TRUE(HasLine(text, "res=25.5 0.1 0.2 0.001 poly_sheet"));
  EXPECT_TRUE(HasLine(text, "scale=1234.56789"));
  EXPECT_TRUE(HasLine(text, "attr9=7 0 7"));
}

TEST_F(Usf, AnEmptyFontNameMeansTheFirstProgramFont) {
  MainSetupFontsDefault("C:\\Q\\", 0);
  Put("QUIL7.USF", "tffname=\n");
  ASSERT_EQ(MainSetupRead(), 1);
  EXPECT_STREQ(MainSetup.tffname, "C:\\Q\\Font1.tff");
  Put("QUIL7.USF", "tffname=D:\\F\\Mine.tff\n");
  ASSERT_EQ(MainSetupRead(), 1);
  EXPECT_STREQ(MainSetup.tffname, "D:\\F\\Mine.tff");
}

TEST_F(Usf, FontDefaultsFollowTheProgramFolder) {
  MainSetupFontsDefault("C:\\QUIL7\\BIN\\", 0);
  EXPECT_STREQ(MainSetup.fonts[0], "C:\\QUIL7\\BIN\\Font1.tff");
  EXPECT_STREQ(MainSetup.fonts[4], "C:\\QUIL7\\BIN\\Font5.tff");
  EXPECT_STREQ(MainSetup.tffname, "C:\\QUIL7\\BIN\\Font1.tff");
  MainSetupFontsDefault("Z:\\home\\ann\\quil\\", 1);
  EXPECT_STREQ(MainSetup.fonts[2], "/home/ann/quil/Font3.tff");
  EXPECT_STREQ(MainSetup.tffname, "/home/ann/quil/Font1.tff");
}

}  // namespace

namespace {

TEST_F(Usf, TheSampleDrawingsSetupIsWhatTheWriterWrites) {
  const char* src = getenv("QUIL_SOURCE");
  std::string path = std::string(src ? src : ".") + "/samples/demo/QUIL7.USF";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good()) << path;
  std::stringstream ss;
  ss << in.rdbuf();
  std::string sample = ss.str();
  ReadText(sample);
  EXPECT_TRUE(rec_->messages.empty());
  const char* names[] = {"NWELL", "ACTIVE", "PSEL", "NSEL", "POLY",   "CONTACT", "METAL1",
                         "VIA",   "METAL2", "TEXT", "NODE", "PIN", "DEVICE", "PARAM"};
  ASSERT_EQ(MainSetup.layerCount, 14);
  for (int i = 0; i < 14; ++i) {
    EXPECT_STREQ(MainSetup.layers[i].name, names[i]);
    EXPECT_EQ(MainSetup.layers[i].number, i + 1);
  }
  EXPECT_EQ(MainSetup.scale, 1000.0);
  EXPECT_STREQ(MainSetup.physunit, "um");
  EXPECT_STREQ(MainSetup.cellname, "TOP");
  for (int r = 1; r <= RANK_MAX; ++r) {
    EXPECT_EQ(MainSetup.vmap[r][0], 0x3FFFu) << r;
    EXPECT_EQ(MainSetup.omap[r][0], 0x3FFFu) << r;
  }
  MainSetup.tffname[0] = '\0';  // the sample names no font file
  EXPECT_EQ(WrittenText(), sample);
}

}  // namespace
