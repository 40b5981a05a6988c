#include "ckt_compare.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "host.h"

namespace ckt {

namespace {

const int kListCap = 20000;

// One node of a block: its line as read (upper case), its pins joined from
// the entry lines, and those pins one by one, sorted for the lookups.
struct CmpNode {
  std::string line;
  std::vector<std::string> words;  // in the order of the entry lines
  std::vector<std::string> sorted;
};

struct CmpBlock {
  std::string title;  // the block's header line
  std::vector<CmpNode> nodes;
  // Each pin to the first node of the block that holds it.
  std::unordered_map<std::string, size_t> byWord;
};

// One line of any length without its line end, upper-cased; 0 at the end of
// the file.
int LineRead(FILE* f, std::string* line) {
  line->clear();
  char buf[1024];
  int any = 0;
  while (fgets(buf, sizeof buf, f)) {
    any = 1;
    size_t n = strlen(buf);
    int end = n > 0 && buf[n - 1] == '\n';
    line->append(buf, n);
    if (end) break;
  }
  if (!any) return 0;
  while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
  for (char& c : *line) c = (char)toupper((unsigned char)c);
  return 1;
}

// The name of a header line "[name]": trailing blanks and line ends do not
// count, the closing bracket must be there. 0 when the line is no header.
int HeaderName(const std::string& line, std::string* name) {
  if (line.empty() || line[0] != '[') return 0;
  size_t end = line.size();
  while (end > 1 && isspace((unsigned char)line[end - 1])) end--;
  if (end < 2 || line[end - 1] != ']') return 0;
  name->assign(line, 1, end - 2);
  return 1;
}

int SameNoCase(const std::string& a, const char* b) {
  size_t n = strlen(b);
  if (a.size() != n) return 0;
  for (size_t i = 0; i < n; i++)
    if (tolower((unsigned char)a[i]) != tolower((unsigned char)b[i])) return 0;
  return 1;
}

void WordsAppend(const std::string& text, std::vector<std::string>* words) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
    size_t s = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') i++;
    if (i > s) words->push_back(text.substr(s, i - s));
  }
}

// The nodes of the first block of the name in the file, in file order. The
// block ends at "::", at the next header (older lists have no "::") or at
// the end of the file.
void BlockRead(FILE* f, const char* block, CmpBlock* out) {
  std::string line, name, title;
  int inside = 0;
  CmpNode* pending = nullptr;
  while (LineRead(f, &line)) {
    if (inside && line == "::") break;
    if (HeaderName(line, &name)) {
      if (inside) break;
      title = line;
      if (SameNoCase(name, block)) {
        inside = 1;
        out->title = title;
      }
      continue;
    }
    if (!inside) continue;
    if (line.find(':') != std::string::npos) {
      out->nodes.push_back(CmpNode());
      pending = &out->nodes.back();
      pending->line = line;
    } else if (line[0] == ' ' && pending) {
      WordsAppend(line, &pending->words);
    }
  }
  for (size_t i = 0; i < out->nodes.size(); i++) {
    CmpNode& n = out->nodes[i];
    n.sorted = n.words;
    std::sort(n.sorted.begin(), n.sorted.end());
    for (const std::string& w : n.words) out->byWord.emplace(w, i);
  }
}

int HasWord(const CmpNode& n, const std::string& w) { return std::binary_search(n.sorted.begin(), n.sorted.end(), w); }

// Every pin of each node of A must stand, as a whole word, on the node of B
// that holds the node's first pin; one message at most per node.
void BlockCheck(CktState& st, const CmpBlock& a, const CmpBlock& b) {
  static const CmpNode kNone = {"?", {}, {}};
  for (const CmpNode& n : a.nodes) {
    if (n.words.empty()) continue;
    auto it = b.byWord.find(n.words[0]);
    const CmpNode& m = it == b.byWord.end() ? kNone : b.nodes[it->second];
    for (const std::string& w : n.words) {
      if (HasWord(m, w)) continue;
      std::string msg = w + " on Node " + n.line + " in " + a.title + " is NOT on Node " + m.line + " in " + b.title;
      CompareMsg(st, msg.c_str());
      st.compare.errors++;
      break;
    }
  }
}

const char* BaseName(const char* path) {
  const char* b = path;
  for (const char* p = path; *p; p++)
    if (*p == '\\' || *p == '/' || *p == ':') b = p + 1;
  return b;
}

// One direction: A's block walked, B's block searched.
int Direction(CktState& st, const char* fileA, const char* blockA, const char* fileB, const char* blockB) {
  QFile a = QFileOpen(fileA, "r");
  QFile b = QFileOpen(fileB, "r");
  if (!a || !b) return 0;
  CompareMsg(st, " ");
  std::string msg = std::string("Comparing ") + blockA + " in " + BaseName(fileA) + " to " + blockB + " in " +
                    BaseName(fileB);
  CompareMsg(st, msg.c_str());
  st.run.abortFlag = 0;
  CmpBlock ba, bb;
  BlockRead(a.get(), blockA, &ba);
  BlockRead(b.get(), blockB, &bb);
  BlockCheck(st, ba, bb);
  return !st.run.abortFlag;
}

// Names of one file in the settings' form (the settings keep every path
// normalised, and the folder's file names do not tell case apart).
int SamePath(const char* a, const char* b) { return SameNoCase(std::string(a), b); }

int RunBody(CktState& st) {
  const char* lfn = st.set.val[GRP_LVS][0];
  const char* sfn = st.set.val[GRP_LVS][1];
  const char* bas = st.set.val[GRP_LVS][2];
  const char* wc2 = st.set.val[GRP_LVS][3];
  const char* sfx = st.set.val[GRP_LVS][4];
  time_t now = time(nullptr);
  char date[16], clock[16];
  strftime(date, sizeof date, "%m/%d/%y", localtime(&now));
  strftime(clock, sizeof clock, "%H:%M:%S", localtime(&now));
  // The log must never take the place of a list it is about to compare.
  if (!SamePath(wc2, lfn) && !SamePath(wc2, sfn)) st.compare.log = QFileOpen(wc2, "w");
  if (!st.compare.log) {
    HostMsgBox("Unable to Write LVS Log File ... Can't Continue", nullptr, HOST_CAP_ERROR, HOST_OK);
    st.run.abortFlag = 1;
    return 0;
  }
  fprintf(st.compare.log.get(), "*** QuilCkt Node Compare Error List  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n",
          CKT_VERSION, date, clock);
  if (!bas[0]) {
    HostMsgBox("Circuit Layout Name is Needed", "Nodelist Compare", HOST_CAP_OWN, HOST_OK);
    return 0;
  }
  std::string blockB = std::string(bas) + sfx;
  if (!BlockFind(st, lfn, bas) || !BlockFind(st, sfn, blockB.c_str())) return 0;
  if (!Direction(st, lfn, bas, sfn, blockB.c_str())) return 0;
  if (!Direction(st, sfn, blockB.c_str(), lfn, bas)) return 0;
  fprintf(st.compare.log.get(), "\nCompare Finished ... %d Errors", st.compare.errors);
  return st.run.abortFlag ? 0 : 1;
}

}  // namespace

void CompareMsg(CktState& st, const char* text) {
  if (st.compare.listAdd && st.compare.listCount <= kListCap) {
    st.compare.listCount++;
    st.compare.listAdd(text);
  }
  if (st.compare.log) fprintf(st.compare.log.get(), "%s\n", text);
}

int WordInList(const char* text, const char* word) {
  std::vector<std::string> words;
  WordsAppend(text, &words);
  for (const std::string& w : words)
    if (SameNoCase(w, word)) return 1;
  return 0;
}

int BlockFind(CktState& st, const char* file, const char* block) {
  QFile f = QFileOpen(file, "r");
  char msg[700];
  if (!f) {
    snprintf(msg, sizeof msg, "%s is Missing ", file);
    CompareMsg(st, msg);
    st.compare.errors++;
    return 0;
  }
  std::string line, name;
  while (LineRead(f.get(), &line))
    if (HeaderName(line, &name) && SameNoCase(name, block)) return 1;
  snprintf(msg, sizeof msg, "Nodelist of %s is NOT in %s", block, file);
  CompareMsg(st, msg);
  st.compare.errors++;
  return 0;
}

int NodeCompareRun(CktState& st) {
  st.compare.errors = 0;
  st.compare.listCount = 0;
  int result = RunBody(st);
  QFileClose(&st.compare.log);
  return result;
}

}  // namespace ckt
