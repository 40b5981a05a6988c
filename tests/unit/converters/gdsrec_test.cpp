#include "gdsrec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "convtest.h"
#include "host.h"
#include "host_record.h"

namespace {

std::string Hex(const unsigned char* b, size_t n) {
  std::string s;
  char t[4];
  for (size_t i = 0; i < n; ++i) {
    snprintf(t, sizeof t, i ? " %02X" : "%02X", b[i]);
    s += t;
  }
  return s;
}

TEST(GdsReal8, VectorsOfTheValuesWritten) {
  struct Case {
    double x;
    int lsb;
    const char* bytes;
  } cases[] = {
      {1.0, 0, "41 10 00 00 00 00 00 00"},
      {1.0, 1, "41 10 00 00 00 00 00 01"},
      {0.001, 0, "3E 41 89 37 4B C6 A7 F0"},
      {0.001, 1, "3E 41 89 37 4B C6 A7 F1"},
      {0.001, -1, "3E 41 89 37 4B C6 A7 EF"},
      {-1.0, 0, "C1 10 00 00 00 00 00 00"},
      {1e-9, 0, "39 44 B8 2F A0 9B 5A 54"},
      {90.0, 0, "42 5A 00 00 00 00 00 00"},
      {180.0, 0, "42 B4 00 00 00 00 00 00"},
      {270.0, 0, "43 10 E0 00 00 00 00 00"},
      {0.5, 0, "40 80 00 00 00 00 00 00"},
      {1000.0, 0, "43 3E 80 00 00 00 00 00"},
      {2.54e-8, 0, "3A 6D 17 98 68 90 38 FC"},
      {0.0, 5, "00 00 00 00 00 00 00 00"},
  };
  for (const Case& c : cases) {
    unsigned char b[8];
    GdsReal8(c.x, c.lsb, b);
    EXPECT_EQ(Hex(b, 8), c.bytes) << c.x << " lsb " << c.lsb;
  }
}

// Runs body against a fresh writer on a temp file; returns the bytes.
struct RecRun {
  WorkDir dir;
  std::unique_ptr<GdsRec> rec{new GdsRec};
  int abort = 0;
  RecRun() {
    GdsRecReset(rec.get());
    rec->abortFlag = &abort;
    GdsRecOpen(rec.get(), "out.gds");
  }
  std::vector<unsigned char> Finish() {
    EXPECT_EQ(GdsRecClose(rec.get()), 1);
    auto b = ReadBytes("out.gds");
    EXPECT_EQ((int64_t)b.size(), rec->bytes);
    return b;
  }
};

TEST(GdsRecords, LayoutOfEveryRecordKind) {
  struct tm when;
  memset(&when, 0, sizeof when);
  when.tm_year = 126, when.tm_mon = 11, when.tm_mday = 10, when.tm_hour = 13, when.tm_min = 5, when.tm_sec = 9;
  struct Case {
    const char* name;
    std::function<void(GdsRec*)> write;
    const char* bytes;
  } cases[] = {
      {"HEADER", [](GdsRec* r) { GdsWriteHeader(r); }, "00 06 00 02 00 03"},
      {"BGNLIB", [&](GdsRec* r) { GdsWriteBgnLib(r, &when); },
       "00 1C 01 02 00 7E 00 0C 00 0A 00 0D 00 05 00 09 00 7E 00 0C 00 0A 00 0D 00 05 00 09"},
      {"LIBNAME odd", [](GdsRec* r) { GdsWriteLibName(r, "ABC"); }, "00 08 02 06 41 42 43 00"},
      {"LIBNAME even", [](GdsRec* r) { GdsWriteLibName(r, "AB.DB"); }, "00 0A 02 06 41 42 2E 44 42 00"},
      {"UNITS", [](GdsRec* r) { GdsWriteUnits(r, 0.001, 1e-9); },
       "00 14 03 05 3E 41 89 37 4B C6 A7 F0 39 44 B8 2F A0 9B 5A 54"},
      {"ENDLIB", [](GdsRec* r) { GdsWriteEndLib(r); }, "00 04 04 00"},
      {"BGNSTR", [&](GdsRec* r) { GdsWriteBgnStr(r, &when); },
       "00 1C 05 02 00 7E 00 0C 00 0A 00 0D 00 05 00 09 00 7E 00 0C 00 0A 00 0D 00 05 00 09"},
      {"STRNAME", [](GdsRec* r) { GdsWriteStrName(r, "TOP"); }, "00 08 06 06 54 4F 50 00"},
      {"ENDSTR", [](GdsRec* r) { GdsWriteEndStr(r); }, "00 04 07 00"},
      {"BOUNDARY", [](GdsRec* r) { GdsWriteBoundary(r); }, "00 04 08 00"},
      {"PATH", [](GdsRec* r) { GdsWritePath(r); }, "00 04 09 00"},
      {"SREF", [](GdsRec* r) { GdsWriteSref(r); }, "00 04 0A 00"},
      {"TEXT", [](GdsRec* r) { GdsWriteText(r); }, "00 04 0C 00"},
      {"LAYER", [](GdsRec* r) { GdsWriteLayer(r, 256); }, "00 06 0D 02 01 00"},
      {"DATATYPE", [](GdsRec* r) { GdsWriteDatatype(r, 63); }, "00 06 0E 02 00 3F"},
      {"WIDTH", [](GdsRec* r) { GdsWriteWidth(r, -300); }, "00 08 0F 03 00 00 01 2C"},
      {"XY", [](GdsRec* r) {
         int32_t x[2] = {1, -2}, y[2] = {256, 0};
         GdsWriteXY(r, x, y, 2);
       }, "00 14 10 03 00 00 00 01 00 00 01 00 FF FF FF FE 00 00 00 00"},
      {"ENDEL", [](GdsRec* r) { GdsWriteEndEl(r); }, "00 04 11 00"},
      {"SNAME", [](GdsRec* r) { GdsWriteSName(r, "inv"); }, "00 08 12 06 69 6E 76 00"},
      {"TEXTTYPE", [](GdsRec* r) { GdsWriteTextType(r, 5); }, "00 06 16 02 00 05"},
      {"PRESENTATION", [](GdsRec* r) { GdsWritePresentation(r, 2, 4); }, "00 06 17 01 00 24"},
      {"STRING", [](GdsRec* r) { GdsWriteString(r, "VDD"); }, "00 08 19 06 56 44 44 00"},
      {"STRANS", [](GdsRec* r) { GdsWriteStrans(r, 0x8000); }, "00 06 1A 01 80 00"},
      {"MAG", [](GdsRec* r) { GdsWriteMag(r, 1.0); }, "00 0C 1B 05 41 10 00 00 00 00 00 00"},
      {"ANGLE", [](GdsRec* r) { GdsWriteAngle(r, 90); }, "00 0C 1C 05 42 5A 00 00 00 00 00 00"},
      {"PATHTYPE", [](GdsRec* r) { GdsWritePathType(r, 2); }, "00 06 21 02 00 02"},
  };
  for (const Case& c : cases) {
    RecRun run;
    c.write(run.rec.get());
    auto b = run.Finish();
    EXPECT_EQ(Hex(b.data(), b.size()), c.bytes) << c.name;
  }
}

TEST(GdsRecords, ByteFFInAStringIsWrittenAsZero) {
  RecRun run;
  GdsWriteString(run.rec.get(), "A\xff");
  auto b = run.Finish();
  EXPECT_EQ(Hex(b.data(), b.size()), "00 06 19 06 41 00");
}

TEST(GdsRecords, ElementKindsAreCounted) {
  RecRun run;
  GdsWriteBoundary(run.rec.get());
  GdsWriteBoundary(run.rec.get());
  GdsWritePath(run.rec.get());
  GdsWriteText(run.rec.get());
  GdsWriteSref(run.rec.get());
  EXPECT_EQ(run.rec->counts.boundaries, 2);
  EXPECT_EQ(run.rec->counts.paths, 1);
  EXPECT_EQ(run.rec->counts.texts, 1);
  EXPECT_EQ(run.rec->counts.srefs, 1);
  run.Finish();
}

TEST(GdsScale, TruncatesTowardZeroAndRoundsIntegralRatios) {
  struct Case {
    double ratio;
    int32_t v;
    int64_t want;
  } cases[] = {
      {2.5, 3, 7},                  // truncation kept for a fractional ratio
      {2.5, -3, -7},                // toward zero, not down
      {1.0, 1073741824, 1073741824},
      {0.9999999999999999, 1000, 1000},  // a ratio meant as 1 loses no unit
      {1000 * 0.1 / 100, 999999, 999999},
      {10.000000000000002, 7, 70},
      {0.5, 3, 1},
      {1000, 2147483647, 2147483647000LL},  // held in 64 bits for the limit check
  };
  for (const Case& c : cases) {
    std::unique_ptr<GdsRec> r(new GdsRec);
    GdsRecReset(r.get());
    GdsRecRatio(r.get(), c.ratio);
    EXPECT_EQ(GdsScale(r.get(), c.v), c.want) << c.ratio << " x " << c.v;
  }
}

TEST(GdsXY, LimitQuestionOkWritesCancelStops) {
  HostRecord& host = HostRecordInstall();
  {
    RecRun run;
    int32_t x = 1073741824, y = 0;
    EXPECT_EQ(GdsWriteXY(run.rec.get(), &x, &y, 1), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "X Coordinate in GDS XY Record exceeds Limit");
    EXPECT_EQ(host.messages[0].captionKind, HOST_CAP_WARNING);
    EXPECT_EQ(host.messages[0].type, HOST_OKCANCEL);
    EXPECT_EQ(run.Finish().size(), 12u);
    EXPECT_EQ(run.abort, 0);
  }
  host.messages.clear();
  host.answers.push_back(HOST_IDCANCEL);
  {
    RecRun run;
    int32_t x = 0, y = -1073741825;
    EXPECT_EQ(GdsWriteXY(run.rec.get(), &x, &y, 1), 0);
    EXPECT_EQ(host.messages[0].text, "Y Coordinate in GDS XY Record exceeds Limit");
    EXPECT_EQ(run.abort, 1);
    EXPECT_EQ(run.Finish().size(), 0u);  // no half record left behind
  }
  HostRecordRemove();
}

TEST(GdsXY, BeyondThirtyTwoBitsStopsInsteadOfWrapping) {
  HostRecord& host = HostRecordInstall();
  RecRun run;
  GdsRecRatio(run.rec.get(), 1000);
  int32_t x[2] = {5, 3000000}, y[2] = {5, 0};
  EXPECT_EQ(GdsWriteXY(run.rec.get(), x, y, 2), 0);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text, "X Coordinate in GDS XY Record exceeds 32 Bits ... Can't Continue");
  EXPECT_EQ(host.messages.back().captionKind, HOST_CAP_ERROR);
  EXPECT_EQ(run.abort, 1);
  EXPECT_EQ(run.Finish().size(), 0u);
  HostRecordRemove();
}

TEST(GdsRecFile, FullDiskIsReportedAtClose) {
  std::unique_ptr<GdsRec> r(new GdsRec);
  GdsRecReset(r.get());
  if (!GdsRecOpen(r.get(), "/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (int i = 0; i < 1000; ++i) GdsWriteHeader(r.get());
  EXPECT_EQ(GdsRecClose(r.get()), 0);
  EXPECT_EQ(r->ioError, 1);
}

TEST(GdsListing, LinesOfTheRecordListing) {
  RecRun run;
  FILE* l = fopen("list.txt", "wt");
  run.rec->listing = l;
  GdsWriteHeader(run.rec.get());
  GdsWriteLibName(run.rec.get(), "ABC");
  int32_t x[2] = {10, 30}, y[2] = {20, -40};
  GdsWriteXY(run.rec.get(), x, y, 2);
  GdsWritePresentation(run.rec.get(), 1, 8);
  GdsWriteMag(run.rec.get(), 0.5);
  GdsWritePathType(run.rec.get(), 2);
  fclose(l);
  run.Finish();
  EXPECT_EQ(ReadText("list.txt"),
            "  06  00  02    HEADER 3\n"
            "  08  02  06    LIBNAME ABC[NUL]\n"
            "  14  10  03    XY      10      20\n"
            "                        30     -40\n"
            "  06  17  01    PRESENTATION 18 F=1 V=2 H=0\n"
            "  0C  1B  05    MAG 0.5\n"
            "  06  21  02    PTYPE 2\n");
}

}  // namespace
