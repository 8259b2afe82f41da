#include "SearchCorpus.h"

#include "archive/ArchiveWriter.h"
#include "platform/Codec1251.h"

#include <array>
#include <cstdio>

namespace {

// xorshift32: the same numbers on every platform and library, unlike the standard engines'
// distributions.
class TRandom {
public:
    explicit TRandom(uint32_t seed) : State(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next() {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return State;
    }
    size_t Below(size_t n) { return static_cast<size_t>(Next() % static_cast<uint32_t>(n)); }
    bool Chance(unsigned percent) { return Next() % 100 < percent; }

private:
    uint32_t State;
};

const std::vector<std::string>& Words() {
    static const std::vector<std::string> words = [] {
        const char* utf8[] = {
            "и",         "в",           "не",         "на",         "что",         "он",
            "с",         "как",         "это",        "по",         "но",          "из",
            "к",         "у",           "за",         "от",         "о",           "же",
            "для",       "всё",         "так",        "его",        "время",       "жизнь",
            "человек",   "мир",         "слово",      "дело",       "история",     "земля",
            "народ",     "город",       "война",      "книга",      "память",      "смысл",
            "искусство", "культура",    "традиция",   "общество",   "государство", "свобода",
            "власть",    "истина",      "философия",  "литература", "поэзия",      "роман",
            "автор",     "читатель",    "эпоха",      "век",        "язык",        "мысль",
            "образ",     "судьба",      "природа",    "душа",       "вера",        "церковь",
            "летопись",  "князь",       "дружина",    "поход",      "степь",       "река",
            "лес",       "поле",        "дорога",     "путь",       "начало",      "конец",
            "большой",   "новый",       "старый",     "русский",    "великий",     "древний",
            "первый",    "последний",   "важный",     "простой",    "сложный",     "глубокий",
            "говорил",   "писал",       "видел",      "понимал",    "знал",        "думал",
            "стоит",     "остаётся",    "становится", "кажется",    "приходит",    "уходит",
            "Москва",    "Киев",        "Новгород",   "Россия",     "Европа",      "Пушкин",
            "Толстой",   "Достоевский", "Чехов",      "Гоголь",     "Лермонтов",   "Ломоносов",
            "однако",    "поэтому",     "впрочем",    "конечно",    "разумеется",  "наконец",
            "ещё",       "уже",         "всегда",     "никогда",    "здесь",       "там",
            "XIX",       "XX",          "1812",       "1917",       "Ёлка",        "ёмкий",
        };
        std::vector<std::string> out;
        for (const char* w : utf8)
            out.push_back(cp1251::FromUtf8(w));
        return out;
    }();
    return words;
}

std::string W(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

// Text with the source's own line breaks, wrapped near 78 columns like hand-written HTML.
class TWriter {
public:
    explicit TWriter(std::string& out) : Out(out) {}
    void Line(const std::string& text) {
        Out += text;
        Out += "\r\n";
        Column = 0;
    }
    void Piece(const std::string& text) {
        if (Column > 0 && Column + text.size() > 78) {
            Out += "\r\n";
            Column = 0;
        } else if (Column > 0) {
            Out += ' ';
            ++Column;
        }
        Out += text;
        Column += text.size();
    }
    void Glue(const std::string& text) { // no space before
        Out += text;
        Column += text.size();
    }
    void EndLine() {
        if (Column > 0)
            Out += "\r\n";
        Column = 0;
    }

private:
    std::string& Out;
    size_t Column = 0;
};

std::string Capitalized(const std::string& word) {
    std::string w = word;
    if (!w.empty())
        w[0] = cp1251::UpperChar(w[0]);
    return w;
}

std::string Sentence(TRandom& r, size_t words) {
    const auto& dict = Words();
    std::string s = Capitalized(dict[r.Below(dict.size())]);
    for (size_t i = 1; i < words; ++i) {
        s += ' ';
        s += dict[r.Below(dict.size())];
        if (i + 1 < words && r.Chance(8))
            s += ',';
    }
    return s + (r.Chance(10) ? "?" : ".");
}

void Paragraph(TWriter& w, TRandom& r, size_t essays) {
    const auto& dict = Words();
    w.Piece("<p class=\"text\">");
    const size_t sentences = 3 + r.Below(6);
    for (size_t s = 0; s < sentences; ++s) {
        const size_t count = 6 + r.Below(14);
        for (size_t i = 0; i < count; ++i) {
            std::string word = dict[r.Below(dict.size())];
            if (i == 0)
                word = Capitalized(word);
            const unsigned kind = static_cast<unsigned>(r.Below(100));
            if (kind < 3) {
                w.Piece("<b>" + word + "</b>");
            } else if (kind < 6) {
                w.Piece("<i>" + word + "</i>");
            } else if (kind < 7) {
                char href[64];
                std::snprintf(href, sizeof href, "essay%04zu.htm", r.Below(essays) + 1);
                w.Piece("<a href=\"" + std::string(href) + "\" class=\"link\">" + word + "</a>");
            } else if (kind < 9) {
                w.Piece("&laquo;" + word + "&raquo;");
            } else if (kind < 10) {
                w.Piece(word + "&nbsp;&mdash;");
            } else if (kind < 11) {
                w.Piece(word + "&nbsp;&#151;");
            } else if (kind < 12) {
                w.Piece(word + " &amp;");
            } else {
                w.Piece(word);
            }
        }
        w.Glue(r.Chance(10) ? "?" : ".");
    }
    w.Glue("</p>");
    w.EndLine();
}

void Table(TWriter& w, TRandom& r) {
    w.Line("<table width=\"90%\" border=1 cellpadding=3 cellspacing=0 align=center>");
    w.Line(W("<tr><th>Год</th><th>Событие</th><th>Примечание</th></tr>"));
    const size_t rows = 3 + r.Below(8);
    for (size_t i = 0; i < rows; ++i)
        w.Line("<tr><td align=right>" + std::to_string(1700 + r.Below(300)) + "</td><td>" +
               Sentence(r, 4 + r.Below(5)) + "</td><td valign=top>" + Sentence(r, 2) +
               "</td></tr>");
    w.Line("</table>");
}

TCorpusEssay Essay(size_t number, size_t essays, TRandom& r) {
    TCorpusEssay essay;
    char name[64];
    std::snprintf(name, sizeof name, "essays\\essay%04zu.htm", number);
    essay.Name = name;
    std::string title = Sentence(r, 3 + r.Below(4));
    title.pop_back();
    essay.Title = title;
    const size_t target = 20000 + r.Below(60000);

    std::string& out = essay.Bytes;
    out.reserve(target + 4096);
    TWriter w(out);
    w.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    w.Line("<html>");
    w.Line("<head>");
    w.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">");
    w.Line("<title>" + title + "</title>");
    w.Line("<link rel=\"stylesheet\" type=\"text/css\" href=\"../css/essay.css\">");
    w.Line("<script type=\"text/javascript\" language=\"JavaScript\">");
    w.Line("<!--");
    w.Line("function showPic(name) {");
    w.Line("  if (name.length > 0 && window.open) {");
    w.Line("    window.open('pics/' + name, '_blank', 'width=640,height=480,resizable=yes');");
    w.Line("  }");
    w.Line("}");
    w.Line("//-->");
    w.Line("</script>");
    w.Line("</head>");
    w.Line("<body bgcolor=\"#FFFFFF\" leftmargin=0 topmargin=0 marginwidth=0 marginheight=0>");
    w.Line(W("<!-- шапка страницы -->"));
    w.Line("<table width=\"100%\" border=0 cellpadding=4 cellspacing=0>");
    w.Line(W("<tr><td class=\"head\"><a href=\"../index.htm\">Собрание эссе</a> &raquo; ") + title +
           "</td></tr>");
    w.Line("</table>");
    w.Line("<h1 align=\"center\">" + title + "</h1>");
    w.Line(W("<p class=\"author\" align=\"right\"><i>Автор:</i> ") +
           Capitalized(Words()[r.Below(Words().size())]) + "</p>");
    size_t section = 0;
    while (out.size() < target) {
        if (r.Chance(20))
            w.Line("<h2>" + std::to_string(++section) + ". " + Sentence(r, 2 + r.Below(4)) +
                   "</h2>");
        Paragraph(w, r, essays);
        if (r.Chance(4))
            Table(w, r);
        if (r.Chance(4)) {
            char pic[32];
            std::snprintf(pic, sizeof pic, "pic%03zu.jpg", r.Below(500));
            w.Line("<p align=center><a href=\"javascript:showPic('" + std::string(pic) +
                   "')\"><img src=\"pics/" + pic + "\" width=200 height=150 border=0 alt=\"" +
                   Sentence(r, 3) + "\"></a></p>");
        }
        if (r.Chance(5))
            w.Line(W("<!-- примечание редактора: ") + Sentence(r, 5) + " -->");
        if (r.Chance(3))
            w.Line("<blockquote>" + Sentence(r, 10) + "</blockquote>");
    }
    w.Line("<hr size=1 noshade>");
    w.Line(W("<p align=\"right\"><a href=\"../index.htm\">Оглавление</a></p>"));
    w.Line("</body>");
    w.Line("</html>");
    return essay;
}

} // namespace

TSearchCorpus MakeSearchCorpus(size_t targetBytes, uint32_t seed) {
    TSearchCorpus corpus;
    TRandom r(seed);
    const size_t expected = targetBytes / 50000 + 1;
    while (corpus.Bytes < targetBytes) {
        corpus.Essays.push_back(Essay(corpus.Essays.size() + 1, expected, r));
        corpus.Bytes += corpus.Essays.back().Bytes.size();
    }
    return corpus;
}

std::string CorpusIndex(const TSearchCorpus& corpus) {
    std::string index;
    for (const auto& e : corpus.Essays)
        index += e.Name + "#;#" + e.Title + "\r\n";
    return index;
}

std::string CorpusArchive(const TSearchCorpus& corpus) {
    std::vector<TArchiveItem> items;
    items.reserve(corpus.Essays.size() + 1);
    items.push_back({"file.ind", CorpusIndex(corpus), 0});
    for (const auto& e : corpus.Essays)
        items.push_back({e.Name, e.Bytes, 0});
    return BuildArchive(items);
}

std::string AbsentWord() {
    return W("синхрофазотрон"); // not among the corpus's words, nor a part of any run of them
}
