#include "summary/DeclarationSummary.h"

#include "data/CodeLists.h"
#include "data/ReferenceData.h"
#include "db/Decimal.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationFields.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/ProblemLocation.h"

#include <libxml/xmlreader.h>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>
#include <vector>

const QString DeclarationSummary::kNoProblem = QStringLiteral("Aucun problème relevé");

namespace {

thread_local int g_lastPageCount = 0;

const QString kFontFolder = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
constexpr std::string_view kCategoryContainers[] = {
    "InformationsValeursExploitation",
    "InformationsRemunerationsBiensCorporelsIncorporels",
    "InformationsServices",
    "InformationsOperationsFinancieres",
    "InformationsCessionsAcquisitionsActifs",
    "InformationsAutresOperations",
};

QString caption(DeclarationPage page, const char* column) {
    const DeclarationField* field = DeclarationFields::find(page, QLatin1StringView(column));
    return field ? field->captionText() : QString::fromLatin1(column);
}

/// The label an item of a code list gives its code: "4: pour « Entreprise filiale »" gives
/// "Entreprise filiale", "1 :Valeur d'Exploitation" gives "Valeur d'Exploitation".
QString itemLabel(const QString& item, qsizetype codeLength) {
    QString rest = item.mid(codeLength);
    const qsizetype open = rest.indexOf(u'«');
    const qsizetype close = rest.indexOf(u'»', open + 1);
    if (open >= 0 && close > open) {
        rest = rest.mid(open + 1, close - open - 1);
    }
    qsizetype from = 0;
    while (from < rest.size() &&
           (rest[from].isSpace() || rest[from] == u':' || rest[from] == u'.')) {
        ++from;
    }
    qsizetype to = rest.size();
    while (to > from && (rest[to - 1].isSpace() || rest[to - 1] == u',' || rest[to - 1] == u'.')) {
        --to;
    }
    return rest.mid(from, to - from);
}

QString label(const QString& code, const QStringList& list) {
    const QString key = code.trimmed();
    if (key.isEmpty()) {
        return QString();
    }
    for (const QString& item : list) {
        if (item.startsWith(key) &&
            (item.size() == key.size() || !item.at(key.size()).isLetterOrNumber())) {
            return itemLabel(item, key.size());
        }
    }
    return QString();
}

QString referenceLabel(const QString& code, const QVector<ReferenceRow>& rows) {
    const QString key = code.trimmed();
    for (const ReferenceRow& row : rows) {
        if (row.code == key) {
            return row.label;
        }
    }
    return QString();
}

QString withLabel(const QString& code, const QString& name) {
    if (name.isEmpty()) {
        return code;
    }
    return code.trimmed() + QStringLiteral(" – ") + name;
}

QString stateText(const QString& code) {
    return withLabel(code, referenceLabel(code, ReferenceData::states()));
}

QString answerText(const QString& value) {
    const QString v = value.trimmed();
    if (v == u"O" || v == u"Oui") {
        return QStringLiteral("Oui");
    }
    if (v == u"N" || v == u"Non") {
        return QStringLiteral("Non");
    }
    return value;
}

db::Decimal decimalOf(const QString& fileValue) {
    return db::Decimal::parse(fileValue).value_or(db::Decimal());
}

QString decimalText(const db::Decimal& value) {
    db::Decimal::Mantissa whole = value.roundedToInteger();
    const bool negative = whole < 0;
    if (negative) {
        whole = -whole;
    }
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(whole % 10)));
        whole /= 10;
    } while (whole > 0);
    return DeclarationSummary::amountText((negative ? QStringLiteral("-") : QString()) + digits);
}

/// One line of a list, as the file gives it: every leaf a line group can hold.
struct Row {
    QString matricule, identifiant, etat, raison, qualite, autreQualite, relation, autreRelation;
    QString nature, onereux, methode, changement, achats, ventes, capital, vote;
    QString ouverture, devise, augmentations, diminutions, cloture, interets, taux;
    QString contrepartie, debut, fin;

    void clear() { *this = Row(); }
};

/// Texts made of a code and its meaning, looked up once per code: the lines of a list name
/// the same few codes over and over.
class CodeTexts {
public:
    template <typename Make>
    const QString& get(const QString& code, Make make) {
        auto it = m_texts.constFind(code);
        if (it == m_texts.cend()) {
            // A file of made-up codes keeps the cache small all the same.
            if (m_texts.size() >= 4096) {
                m_texts.clear();
            }
            it = m_texts.insert(code, make());
        }
        return *it;
    }
    void clear() { m_texts.clear(); }

private:
    QHash<QString, QString> m_texts;
};

struct Column {
    QString title;
    double weight;
    bool right = false;
};

using Whole = db::Decimal::Mantissa;
constexpr char16_t kKeySeparator = 0x1f;

/// A whole amount as the file writes it ("-00012"); 0 for anything else.
Whole wholeOf(QStringView text) {
    bool negative = text.startsWith(u'-');
    Whole value = 0;
    for (QChar c : negative ? text.mid(1) : text) {
        if (c < u'0' || c > u'9') {
            return 0;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

QString wholeText(Whole value) {
    return decimalText(db::Decimal(value, 0));
}

/// The totals of one related company; its identifier and name are the key of the map, in
/// UTF-8, so that 100,000 companies stay within a few megabytes.
struct Company {
    qint64 lines = 0;
    Whole achats = 0;
    Whole ventes = 0;
};

struct CategoryTotal {
    QString code;
    QString name;
    QString achats;
    QString ventes;
};

struct CurrencyTotal {
    Whole ouverture = 0, augmentations = 0, diminutions = 0, cloture = 0;
};

/// Font sizes in the writer's own units: the glyph runs and the text engine then draw the
/// same font at the same size.
int pixels(const QPdfWriter& writer, double points) {
    return qRound(points * writer.resolution() / 72.0);
}

constexpr int kFontCount = 8;

/// The document's fonts, in this order: body, small, small bold, bold, h1, h2, title, mono.
/// Each thread makes its own: a font's engine belongs to the thread that made it.
std::array<QFont, kFontCount> makeFonts(const QPdfWriter& writer) {
    QFont body(QStringLiteral("DejaVu Sans"));
    // Without the font's ligatures, "fi" stays two letters that a search finds.
    body.setStyleStrategy(QFont::PreferNoShaping);
    body.setPixelSize(pixels(writer, 8.5));
    QFont small = body;
    small.setPixelSize(pixels(writer, 7));
    QFont smallBold = small;
    smallBold.setBold(true);
    QFont bold = body;
    bold.setBold(true);
    QFont h1 = body;
    h1.setPixelSize(pixels(writer, 13));
    h1.setBold(true);
    QFont h2 = body;
    h2.setPixelSize(pixels(writer, 10));
    h2.setBold(true);
    QFont title = body;
    title.setPixelSize(pixels(writer, 16));
    title.setBold(true);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleStrategy(QFont::PreferNoShaping);
    mono.setPixelSize(pixels(writer, 8.5));
    return {body, small, smallBold, bold, h1, h2, title, mono};
}

/// @p text set by the text engine in lines of @p w, for what glyph runs cannot set (a
/// character without a glyph of its own, a line break): the lines stacked (their height in
/// @p height), or all at the top for a text set line by line over pages.
std::unique_ptr<QTextLayout> engineLayout(const QFont& font, QPaintDevice* device, double w,
                                          QString text, bool right, bool stacked,
                                          double* height = nullptr) {
    text.replace(u'\n', QChar::LineSeparator);
    auto layout = std::make_unique<QTextLayout>(text, font, device);
    QTextOption option(right ? Qt::AlignRight : Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(w);
        line.setPosition(QPointF(0, stacked ? y : 0));
        y += line.height();
    }
    layout->endLayout();
    if (height) {
        *height = y;
    }
    return layout;
}

/// What the thread that writes the PDF needs to play a page: its own fonts and the writer.
struct Player {
    QPainter& painter;
    QPdfWriter& writer;
    std::array<QFont, kFontCount> fonts;
    std::array<QRawFont, kFontCount> raws;
};

/// The drawing of one page as the layout states it, played on the PDF later by the thread
/// that writes it: the layout of the next pages goes on beside the writing of this one.
class Recorder {
public:
    using Op = std::function<void(Player&)>;

    explicit Recorder(std::array<const QFont*, kFontCount> fonts) : m_fonts(fonts) {}

    void setPen(const QPen& pen) {
        m_ops.push_back([pen](Player& p) { p.painter.setPen(pen); });
    }
    void setPen(const QColor& color) {
        m_ops.push_back([color](Player& p) { p.painter.setPen(color); });
    }
    void setFont(const QFont& font) {
        m_ops.push_back([f = index(font)](Player& p) { p.painter.setFont(p.fonts[f]); });
    }
    void fillRect(const QRectF& rect, const QColor& color) {
        m_ops.push_back([rect, color](Player& p) { p.painter.fillRect(rect, color); });
    }
    void drawLine(QPointF a, QPointF b) {
        m_ops.push_back([a, b](Player& p) { p.painter.drawLine(a, b); });
    }
    void drawLines(QList<QLineF> lines) {
        m_ops.push_back([lines = std::move(lines)](Player& p) { p.painter.drawLines(lines); });
    }
    void drawText(QPointF at, const QString& text) {
        m_ops.push_back([at, text](Player& p) { p.painter.drawText(at, text); });
    }
    void drawGlyphs(const QFont& font, QList<quint32> indexes, QList<QPointF> positions) {
        m_ops.push_back([f = index(font), indexes = std::move(indexes),
                         positions = std::move(positions)](Player& p) {
            QGlyphRun run;
            run.setRawFont(p.raws[f]);
            run.setGlyphIndexes(indexes);
            run.setPositions(positions);
            p.painter.drawGlyphRun(QPointF(), run);
        });
    }
    /// A text the text engine sets in lines of @p w at @p at.
    void drawSetText(const QFont& font, double w, const QString& text, QPointF at, bool right) {
        m_ops.push_back([f = index(font), w, text, at, right](Player& p) {
            engineLayout(p.fonts[f], &p.writer, w, text, right, true)->draw(&p.painter, at);
        });
    }
    /// Line @p line of a text longer than a page, set in lines of @p w.
    void drawFlowLine(const QFont& font, double w, const QString& text, int line, QPointF at) {
        m_ops.push_back([f = index(font), w, text, line, at](Player& p) {
            engineLayout(p.fonts[f], &p.writer, w, text, false, false)
                ->lineAt(line)
                .draw(&p.painter, at);
        });
    }

    std::vector<Op> take() { return std::exchange(m_ops, {}); }

private:
    int index(const QFont& font) const {
        for (int i = 0; i < kFontCount; ++i) {
            if (m_fonts[i] == &font) {
                return i;
            }
        }
        Q_ASSERT(false);
        return 0;
    }

    std::array<const QFont*, kFontCount> m_fonts;
    std::vector<Op> m_ops;
};

/// Plays the pages the layout records on the PDF, in a thread of its own, a few pages behind
/// the layout: only those few pages are held.
class PageWriter {
public:
    explicit PageWriter(QPdfWriter& writer) : m_writer(writer), m_thread([this] { run(); }) {}
    ~PageWriter() { finish(); }

    void push(std::vector<Recorder::Op> page) {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this] { return m_pages.size() < kAhead; });
        m_pages.push_back(std::move(page));
        m_notEmpty.notify_one();
    }

    /// Waits until every page is written; false when the PDF could not be drawn at all.
    bool finish() {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_notEmpty.notify_one();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_began;
    }

private:
    static constexpr size_t kAhead = 16;

    void run() {
        QPainter painter;
        m_began = painter.begin(&m_writer);
        Player player{painter, m_writer, makeFonts(m_writer), {}};
        for (int i = 0; i < kFontCount; ++i) {
            // The font's own engine, so that the PDF embeds the one subset of each file.
            player.raws[i] = QRawFont::fromFont(player.fonts[i]);
        }
        bool first = true;
        for (;;) {
            std::vector<Recorder::Op> page;
            {
                std::unique_lock lock(m_mutex);
                m_notEmpty.wait(lock, [this] { return !m_pages.empty() || m_done; });
                if (m_pages.empty()) {
                    break;
                }
                page = std::move(m_pages.front());
                m_pages.pop_front();
                m_notFull.notify_one();
            }
            if (!m_began) {
                continue;
            }
            if (!first) {
                m_writer.newPage();
            }
            first = false;
            for (const Recorder::Op& op : page) {
                op(player);
            }
        }
        if (m_began) {
            painter.end();
        }
    }

    QPdfWriter& m_writer;
    std::mutex m_mutex;
    std::condition_variable m_notEmpty, m_notFull;
    std::deque<std::vector<Recorder::Op>> m_pages;
    bool m_done = false;
    bool m_began = false;
    std::thread m_thread;
};

/// Fonts, lengths and the current place on the page; records the drawing only when it has a
/// recorder and a page writer. @p writer gives the lengths and the text engine's measures; it
/// is never drawn on.
class Layout {
public:
    Layout(QPdfWriter& writer, PageWriter* pages)
        : m_writer(writer),
          m_pages(pages),
          m_recorder({&m_body, &m_small, &m_smallBold, &m_bold, &m_h1, &m_h2, &m_title, &m_mono}),
          m_painter(pages ? &m_recorder : nullptr) {
        const std::array<QFont, kFontCount> fonts = makeFonts(writer);
        m_body = fonts[0];
        m_small = fonts[1];
        m_smallBold = fonts[2];
        m_bold = fonts[3];
        m_h1 = fonts[4];
        m_h2 = fonts[5];
        m_title = fonts[6];
        m_mono = fonts[7];
        for (const QFont* f :
             {&m_body, &m_small, &m_smallBold, &m_bold, &m_h1, &m_h2, &m_title, &m_mono}) {
            m_metrics.emplace_back(f, QFontMetricsF(*f, &writer));
            auto face = std::make_unique<Face>();
            face->raw = QRawFont::fromFont(*f);
            m_faces.emplace_back(f, std::move(face));
        }
        m_height = writer.height();
        const double dpm = writer.resolution() / 25.4;
        m_mm = dpm;
        m_left = 15 * dpm;
        m_right = writer.width() - 15 * dpm;
        m_top = 22 * dpm;
        m_bottom = writer.height() - 18 * dpm;
    }

    double mm(double v) const { return v * m_mm; }
    double width() const { return m_right - m_left; }
    int page() const { return m_page; }

    void setFrame(QString header, QString hashPrefix, int total) {
        m_header = std::move(header);
        m_hash = std::move(hashPrefix);
        m_total = total;
    }

    void newPage() {
        if (m_painter && m_page > 0) {
            finishPage();
        }
        ++m_page;
        m_y = m_top;
        if (m_painter) {
            drawFrame();
        }
        if (m_table) {
            tableHeader();
        }
    }

    void ensure(double height) {
        if (m_page == 0 || m_y + height > m_bottom) {
            newPage();
        }
    }
    void space(double height) { m_y += height; }

    void heading(const QString& text) {
        m_table = nullptr;
        const QFontMetricsF& fm = metrics(m_h1);
        ensure(fm.height() * 4);
        m_y += fm.height() * 0.6;
        text1(m_h1, m_left, text);
        m_y += fm.height() * 0.4;
        if (m_painter) {
            m_painter->setPen(QPen(QColor(0x1f, 0x4e, 0x79), mm(0.4)));
            m_painter->drawLine(QPointF(m_left, m_y), QPointF(m_right, m_y));
        }
        m_y += fm.height() * 0.4;
    }

    void subheading(const QString& text) {
        m_table = nullptr;
        const QFontMetricsF& fm = metrics(m_h2);
        // With room for a table's header and first lines below it.
        ensure(fm.height() * 7);
        m_y += fm.height() * 0.5;
        text1(m_h2, m_left, text);
        m_y += fm.height() * 0.3;
    }

    /// "Caption" in bold on the left, the value wrapped on the right.
    void field(const QString& caption, const QString& value) {
        const double captionWidth = width() * 0.36;
        const double gap = mm(3);
        const double h = std::max(wrappedHeight(m_bold, captionWidth, caption),
                                  wrappedHeight(m_body, width() - captionWidth - gap, value));
        if (h > m_bottom - m_top) {
            ensure(metrics(m_body).height() * 3);
            if (m_painter) {
                wrapped(m_bold, QRectF(m_left, m_y, captionWidth, m_bottom - m_y), caption);
            }
            flow(m_body, m_left + captionWidth + gap, width() - captionWidth - gap, value);
            m_y += mm(0.8);
            return;
        }
        paragraphLines(h, [&](double top) {
            wrapped(m_bold, QRectF(m_left, top, captionWidth, h), caption);
            wrapped(m_body,
                    QRectF(m_left + captionWidth + gap, top, width() - captionWidth - gap, h),
                    value);
        });
        m_y += mm(0.8);
    }

    void paragraph(const QString& text, const QFont* font = nullptr) {
        const QFont& f = font ? *font : m_body;
        const double h = wrappedHeight(f, width(), text);
        if (h > m_bottom - m_top) {
            flow(f, m_left, width(), text);
            m_y += mm(0.8);
            return;
        }
        paragraphLines(h, [&](double top) { wrapped(f, QRectF(m_left, top, width(), h), text); });
        m_y += mm(0.8);
    }

    void line(const QString& text, const QFont& font) {
        const QFontMetricsF& fm = metrics(font);
        ensure(fm.height());
        text1(font, m_left, text);
    }

    // Tables: the header is repeated on every page the table runs over.
    void tableBegin(std::vector<Column> columns) {
        m_columns = std::move(columns);
        double sum = 0;
        for (const Column& c : m_columns) {
            sum += c.weight;
        }
        m_widths.clear();
        for (const Column& c : m_columns) {
            m_widths.push_back(width() * c.weight / sum);
        }
        // The header is repeated on every page the table runs over, its height measured once.
        m_headerHeight = 0;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_headerHeight =
                std::max(m_headerHeight,
                         wrappedHeight(m_smallBold, m_widths[i] - 2 * mm(0.8), m_columns[i].title));
        }
        m_headerHeight += mm(0.8);
        const QFontMetricsF& fm = metrics(m_smallBold);
        ensure(fm.height() * 4);
        m_table = &m_columns;
        tableHeader();
    }

    void tableRow(const std::vector<QString>& cells, bool bold = false) {
        const QFont& font = bold ? m_smallBold : m_small;
        const double pad = mm(0.8);
        const double lineHeight = metrics(font).height();
        m_cellWidths.resize(cells.size());
        double h = 0;
        for (size_t i = 0; i < cells.size(); ++i) {
            const double w = cells[i].isEmpty() ? 0 : plainWidth(font, cells[i]);
            m_cellWidths[i] = w;
            h = std::max(h, w >= 0 && w <= m_widths[i] - 2 * pad
                                ? lineHeight
                                : wrappedHeight(font, m_widths[i] - 2 * pad, cells[i]));
        }
        h += pad;
        if (m_y + h > m_bottom) {
            newPage();
        }
        if (m_painter) {
            double x = m_left;
            if (bold) {
                m_painter->fillRect(QRectF(m_left, m_y, width(), h), QColor(0xe8, 0xee, 0xf4));
            }
            for (size_t i = 0; i < cells.size(); ++i) {
                cell(font, QRectF(x + pad, m_y + pad / 2, m_widths[i] - 2 * pad, h),
                     m_columns[i].right, cells[i], Qt::black, m_cellWidths[i]);
                x += m_widths[i];
            }
            m_rules.push_back(m_y + h);
        }
        m_y += h;
    }

    void tableEnd() {
        m_table = nullptr;
        m_y += mm(2);
    }

    /// Purchases against sales per category, horizontal bars with their amounts written on.
    void chart(const std::vector<CategoryTotal>& totals) {
        if (totals.empty()) {
            return;
        }
        db::Decimal::Mantissa max = 1;
        for (const CategoryTotal& t : totals) {
            for (const QString* v : {&t.achats, &t.ventes}) {
                max = std::max(
                    max, std::max<db::Decimal::Mantissa>(0, decimalOf(*v).roundedToInteger()));
            }
        }
        const QFontMetricsF& fm = metrics(m_small);
        const double bar = fm.height() * 1.3;
        const double labelWidth = width() * 0.28;
        const double barSpan = width() - labelWidth - mm(2);
        const double block = bar * 2 + mm(3);
        ensure(fm.height() * 3 + block * std::min<size_t>(totals.size(), 2));
        const QColor achats(0xd9, 0x82, 0x2b);
        const QColor ventes(0x2e, 0x75, 0xb6);
        // Legend.
        if (m_painter) {
            m_painter->fillRect(
                QRectF(m_left, m_y + fm.height() * 0.2, fm.height() * 0.8, fm.height() * 0.8),
                achats);
            m_painter->fillRect(QRectF(m_left + mm(45), m_y + fm.height() * 0.2, fm.height() * 0.8,
                                       fm.height() * 0.8),
                                ventes);
        }
        text1(m_small, m_left + fm.height(), QStringLiteral("Achats/Dépenses"), false);
        text1(m_small, m_left + mm(45) + fm.height(), QStringLiteral("Ventes/Revenus"));
        m_y += fm.height() * 0.5;
        for (const CategoryTotal& t : totals) {
            ensure(block);
            if (m_painter) {
                wrapped(m_small, QRectF(m_left, m_y, labelWidth - mm(2), bar * 2),
                        t.code + QStringLiteral(" – ") + t.name);
                double top = m_y;
                for (const auto& [value, color] :
                     {std::pair{&t.achats, achats}, std::pair{&t.ventes, ventes}}) {
                    const db::Decimal::Mantissa amount =
                        std::max<db::Decimal::Mantissa>(0, decimalOf(*value).roundedToInteger());
                    // In whole tenths of a device unit: the length is drawn, never summed.
                    const qint64 tenths =
                        qint64(amount * db::Decimal::Mantissa(qint64(barSpan * 10)) / max);
                    const double length = tenths / 10.0;
                    const QRectF box(m_left + labelWidth, top + bar * 0.1,
                                     std::max(length, mm(0.3)), bar * 0.8);
                    m_painter->fillRect(box, color);
                    const QString text = DeclarationSummary::amountText(*value);
                    const double tw = fm.horizontalAdvance(text);
                    m_painter->setFont(m_small);
                    if (tw + mm(2) < box.width()) {
                        m_painter->setPen(Qt::white);
                        m_painter->drawText(
                            QPointF(box.right() - tw - mm(1),
                                    box.top() + fm.ascent() + (box.height() - fm.height()) / 2),
                            text);
                    } else {
                        m_painter->setPen(Qt::black);
                        m_painter->drawText(
                            QPointF(box.right() + mm(1),
                                    box.top() + fm.ascent() + (box.height() - fm.height()) / 2),
                            text);
                    }
                    top += bar;
                }
            }
            m_y += block;
        }
    }

    QFont m_body, m_small, m_smallBold, m_bold, m_h1, m_h2, m_title, m_mono;

private:
    // Tables, totals and headers are short texts of one line, hundreds of thousands of them:
    // their glyphs are looked up once per character and drawn as glyph runs, without the
    // text engine's shaping, which the font's plain Latin text does not need.
    struct Glyph {
        quint32 index = 0;
        double advance = -1;  ///< -1 until looked up
    };
    struct Face {
        QRawFont raw;
        // Latin, punctuation and the usual signs by their code, the rest by a hash.
        std::vector<Glyph> table = std::vector<Glyph>(0x2200);
        QHash<char16_t, Glyph> others;

        const Glyph& glyph(char16_t c) {
            Glyph& g = c < table.size() ? table[c] : others[c];
            if (g.advance < 0) {
                const QChar ch(c);
                int count = 1;
                g.advance = 0;
                if (ch.isSurrogate() || !ch.isPrint() ||
                    !raw.glyphIndexesForChars(&ch, 1, &g.index, &count)) {
                    g.index = 0;
                }
                if (g.index != 0) {
                    QPointF advance;
                    raw.advancesForGlyphIndexes(&g.index, &advance, 1);
                    g.advance = advance.x();
                }
            }
            return g;
        }
    };

    Face& face(const QFont& font) const {
        for (const auto& [f, face] : m_faces) {
            if (f == &font) {
                return *face;
            }
        }
        Q_ASSERT(false);
        return *m_faces.front().second;
    }

    /// The width of a one-line @p text in @p font, from the advances of its characters; -1
    /// when a character has no glyph of its own in the font (or is a line break), for the
    /// text engine to set it. The first pass lays every page out with nothing else.
    double plainWidth(const QFont& font, QStringView text) const {
        Face& f = face(font);
        if (!f.raw.isValid()) {
            return -1;
        }
        double x = 0;
        for (QChar c : text) {
            const Glyph& g = f.glyph(c.unicode());
            if (g.index == 0) {
                return -1;
            }
            x += g.advance;
        }
        return x;
    }

    /// Adds the glyphs of @p text, which plainWidth() measured, at @p baseline to the glyphs
    /// waiting to be drawn: a page's text of one font and colour goes to the PDF as one run
    /// rather than one per cell or row, with one change of state.
    void queue(const QFont& font, const QColor& color, QPointF baseline, QStringView text) {
        if (!m_painter) {
            return;
        }
        if (m_queuedFont != &font || m_queuedColor != color) {
            flush();
            m_queuedFont = &font;
            m_queuedColor = color;
        }
        Face& f = face(font);
        // Each glyph on a whole device unit: the PDF states its place in a few digits rather
        // than ten, which the writer formats, compresses and every viewer reads.
        const double y = std::round(baseline.y());
        double x = baseline.x();
        for (QChar c : text) {
            const Glyph& g = f.glyph(c.unicode());
            // A blank is a gap, not a mark: text extraction and search find the word break
            // from the gap, as in any typeset PDF, and a tenth of the glyphs go.
            if (c != u' ') {
                m_queuedIndexes.append(g.index);
                m_queuedPositions.append(QPointF(std::round(x), y));
            }
            x += g.advance;
        }
    }

    void flush() {
        if (!m_painter || m_queuedIndexes.isEmpty()) {
            return;
        }
        m_painter->setPen(m_queuedColor);
        const qsizetype size = m_queuedIndexes.size();
        m_painter->drawGlyphs(*m_queuedFont, std::exchange(m_queuedIndexes, {}),
                              std::exchange(m_queuedPositions, {}));
        // The next run is likely as long: its room is taken at once rather than grown.
        m_queuedIndexes.reserve(size);
        m_queuedPositions.reserve(size);
    }

public:
    /// The page's waiting text, then its table rules in one stroke; the page then goes to
    /// the page writer.
    void finishPage() {
        if (!m_painter) {
            return;
        }
        flush();
        if (!m_rules.empty()) {
            QList<QLineF> lines;
            lines.reserve(m_rules.size());
            for (double y : m_rules) {
                lines.append(QLineF(m_left, y, m_right, y));
            }
            m_painter->setPen(QPen(QColor(0xc8, 0xc8, 0xc8), mm(0.15)));
            m_painter->drawLines(std::move(lines));
            m_rules.clear();
        }
        m_pages->push(m_painter->take());
    }

private:
    double advance(const QFont& font, const QString& text) const {
        const double w = plainWidth(font, text);
        return w >= 0 ? w : metrics(font).horizontalAdvance(text);
    }

    /// One line of @p text with its baseline at @p baseline.
    void drawLine(const QFont& font, QPointF baseline, const QString& text,
                  const QColor& color = Qt::black) {
        if (plainWidth(font, text) >= 0) {
            queue(font, color, baseline, text);
            return;
        }
        flush();
        m_painter->setPen(color);
        m_painter->setFont(font);
        m_painter->drawText(baseline, text);
    }

    const QFontMetricsF& metrics(const QFont& font) const {
        for (const auto& [f, m] : m_metrics) {
            if (f == &font) {
                return m;
            }
        }
        Q_ASSERT(false);
        return m_metrics.front().second;
    }

    /// A text longer than a page, set line after line over as many pages as it takes.
    void flow(const QFont& font, double x, double w, const QString& text) {
        const std::unique_ptr<QTextLayout> layout =
            engineLayout(font, &m_writer, w, text, false, false);
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            ensure(line.height());
            if (m_painter) {
                flush();
                m_painter->setPen(Qt::black);
                m_painter->drawFlowLine(font, w, text, i, QPointF(x, m_y));
            }
            m_y += line.height();
        }
    }

    template <typename Draw>
    void paragraphLines(double h, Draw draw) {
        ensure(h > m_bottom - m_top ? metrics(m_body).height() * 3 : h);
        if (m_painter) {
            draw(m_y);
        }
        m_y += h;
    }

    double wrappedHeight(const QFont& font, double w, const QString& text) const {
        const QFontMetricsF& fm = metrics(font);
        if (text.isEmpty()) {
            return fm.height();
        }
        if (const double plain = plainWidth(font, text); plain >= 0 && plain <= w) {
            return fm.height();
        }
        if (plainLines(font, w, text)) {
            return fm.height() * double(m_lines.size());
        }
        return setText(font, w, text, QPointF(), false, false);
    }

    /// Breaks @p text into m_lines of at most @p w, at blanks, a word longer than a line
    /// anywhere; false when a character needs the text engine.
    bool plainLines(const QFont& font, double w, QStringView text) const {
        m_lines.clear();
        for (QStringView paragraph : text.tokenize(u'\n')) {
            qsizetype start = 0;
            qsizetype end = 0;  // after the last word that fits on the line
            qsizetype next = 0;
            while (next <= paragraph.size()) {
                qsizetype blank = paragraph.indexOf(u' ', next);
                if (blank < 0) {
                    blank = paragraph.size();
                }
                const double width = plainWidth(font, paragraph.mid(start, blank - start));
                if (width < 0) {
                    return false;
                }
                if (width <= w) {
                    end = blank;
                    next = blank + 1;
                    continue;
                }
                if (end > start) {
                    // The line is full: the word begins the next one.
                    m_lines.push_back(paragraph.mid(start, end - start));
                    start = next;
                    end = next;
                    continue;
                }
                // One word longer than the line: cut where it no longer fits.
                qsizetype cut = start + 1;
                while (cut < blank &&
                       plainWidth(font, paragraph.mid(start, cut + 1 - start)) <= w) {
                    ++cut;
                }
                m_lines.push_back(paragraph.mid(start, cut - start));
                start = cut;
                end = cut;
                next = cut;
            }
            m_lines.push_back(paragraph.mid(start, end - start));
        }
        return true;
    }

    /// m_lines from @p topLeft, each line aligned left or right in @p w.
    void drawLines(const QFont& font, QPointF topLeft, double w, bool right, const QColor& color) {
        const QFontMetricsF& fm = metrics(font);
        double y = topLeft.y() + fm.ascent();
        for (QStringView line : m_lines) {
            const double width = plainWidth(font, line);
            if (width > 0) {
                queue(font, color, QPointF(right ? topLeft.x() + w - width : topLeft.x(), y), line);
            }
            y += fm.height();
        }
    }

    /// Sets @p text in lines of @p w, words kept whole unless longer than a line; draws it at
    /// @p at when @p draw. Returns its height.
    double setText(const QFont& font, double w, const QString& text, QPointF at, bool right,
                   bool draw) const {
        double y = 0;
        engineLayout(font, &m_writer, w, text, right, true, &y);
        if (draw) {
            m_painter->drawSetText(font, w, text, at, right);
        }
        return y;
    }

    void wrapped(const QFont& font, const QRectF& rect, const QString& text) {
        if (!m_painter || text.isEmpty()) {
            return;
        }
        if (plainLines(font, rect.width(), text)) {
            drawLines(font, rect.topLeft(), rect.width(), false, Qt::black);
            return;
        }
        flush();
        m_painter->setPen(Qt::black);
        setText(font, rect.width(), text, rect.topLeft(), false, true);
    }

    /// @p plain is the text's plainWidth() when known.
    void cell(const QFont& font, const QRectF& rect, bool right, const QString& text,
              const QColor& color = Qt::black, double plain = -2) {
        if (text.isEmpty()) {
            return;
        }
        const QFontMetricsF& fm = metrics(font);
        if (plain == -2) {
            plain = plainWidth(font, text);
        }
        if (plain >= 0 && plain <= rect.width()) {
            const double x = right ? rect.right() - plain : rect.left();
            queue(font, color, QPointF(x, rect.top() + fm.ascent()), text);
            return;
        }
        if (plainLines(font, rect.width(), text)) {
            drawLines(font, rect.topLeft(), rect.width(), right, color);
            return;
        }
        flush();
        m_painter->setPen(color);
        setText(font, rect.width(), text, rect.topLeft(), right, true);
    }

    /// One line of text at the current place; moves below it unless @p advance is false.
    void text1(const QFont& font, double x, const QString& text, bool advance = true) {
        const QFontMetricsF& fm = metrics(font);
        if (m_painter) {
            drawLine(font, QPointF(x, m_y + fm.ascent()), text);
        }
        if (advance) {
            m_y += fm.height();
        }
    }

    void tableHeader() {
        const double pad = mm(0.8);
        const double h = m_headerHeight;
        if (m_painter) {
            m_painter->fillRect(QRectF(m_left, m_y, width(), h), QColor(0x1f, 0x4e, 0x79));
            double x = m_left;
            for (size_t i = 0; i < m_columns.size(); ++i) {
                cell(m_smallBold, QRectF(x + pad, m_y + pad / 2, m_widths[i] - 2 * pad, h),
                     m_columns[i].right, m_columns[i].title, Qt::white);
                x += m_widths[i];
            }
        }
        m_y += h;
    }

    void drawFrame() {
        const QFontMetricsF& fm = metrics(m_small);
        const QColor grey(0x40, 0x40, 0x40);
        const double headerY = mm(12);
        drawLine(m_small, QPointF(m_left, headerY), m_header, grey);
        const QString right =
            QStringLiteral("Récapitulatif de la déclaration des prix de transfert");
        drawLine(m_small, QPointF(m_right - advance(m_small, right), headerY), right, grey);
        m_painter->setPen(QPen(QColor(0x80, 0x80, 0x80), mm(0.2)));
        m_painter->drawLine(QPointF(m_left, headerY + mm(2)), QPointF(m_right, headerY + mm(2)));
        const double footerY = m_height - mm(10);
        m_painter->drawLine(QPointF(m_left, footerY - fm.height()),
                            QPointF(m_right, footerY - fm.height()));
        drawLine(m_small, QPointF(m_left, footerY), QStringLiteral("SHA-256 ") + m_hash, grey);
        const QString page = QStringLiteral("page %1 / %2").arg(m_page).arg(m_total);
        drawLine(m_small, QPointF(m_right - advance(m_small, page), footerY), page, grey);
    }

    QPdfWriter& m_writer;
    PageWriter* m_pages;
    Recorder m_recorder;
    Recorder* m_painter;
    double m_height = 0;
    double m_mm = 1, m_left = 0, m_right = 0, m_top = 0, m_bottom = 0, m_y = 0;
    int m_page = 0;
    int m_total = 0;
    QString m_header, m_hash;
    std::vector<std::pair<const QFont*, QFontMetricsF>> m_metrics;
    std::vector<std::pair<const QFont*, std::unique_ptr<Face>>> m_faces;
    mutable std::vector<QStringView> m_lines;
    std::vector<double> m_cellWidths;
    std::vector<double> m_rules;
    const QFont* m_queuedFont = nullptr;
    QColor m_queuedColor;
    QVector<quint32> m_queuedIndexes;
    QVector<QPointF> m_queuedPositions;
    std::vector<Column> m_columns;
    std::vector<double> m_widths;
    double m_headerHeight = 0;
    const std::vector<Column>* m_table = nullptr;
};

/// What the cover and every page need, known once the file has been read through.
struct Facts {
    QString fileName;
    qint64 size = 0;
    QString sha256;
    int pages = 0;
    DeclarationProblems problems;
    QDateTime generatedAt;
};

/// One pass over the file: reads it as a stream and lays out (or draws) every page.
class Pass {
public:
    Pass(Layout& layout, Facts& facts) : m_layout(layout), m_facts(facts) {}

    void run(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw DeclarationError(
                QStringLiteral("Le fichier de déclaration %1 ne peut être lu : %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString()));
        }
        m_file = &file;
        xmlTextReaderPtr reader = xmlReaderForIO(&Pass::readCallback, nullptr, this, nullptr,
                                                 nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
        if (!reader) {
            throw DeclarationError(QStringLiteral("Le lecteur XML n'a pu être créé."));
        }
        struct Free {
            xmlTextReaderPtr r;
            ~Free() { xmlFreeTextReader(r); }
        } freeReader{reader};
        xmlTextReaderSetErrorHandler(reader, &Pass::errorCallback, this);
        QByteArray text;
        int status;
        while ((status = xmlTextReaderRead(reader)) == 1) {
            switch (xmlTextReaderNodeType(reader)) {
                case XML_READER_TYPE_ELEMENT: {
                    const char* name =
                        reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader));
                    text.clear();
                    if (std::string_view(name) == "DateFinExercice") {
                        xmlChar* a = xmlTextReaderGetAttribute(reader, BAD_CAST "NatureDateFin");
                        m_natureDateFin =
                            a ? QString::fromUtf8(reinterpret_cast<char*>(a)) : QString();
                        xmlFree(a);
                    }
                    const bool empty = xmlTextReaderIsEmptyElement(reader);
                    start(name);
                    if (empty) {
                        end(name, QString());
                    }
                    break;
                }
                case XML_READER_TYPE_TEXT:
                case XML_READER_TYPE_CDATA:
                case XML_READER_TYPE_WHITESPACE:
                case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                    text += reinterpret_cast<const char*>(xmlTextReaderConstValue(reader));
                    break;
                case XML_READER_TYPE_END_ELEMENT: {
                    const char* name =
                        reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader));
                    end(name, m_leaf ? QString::fromUtf8(text) : QString());
                    text.clear();
                    break;
                }
                default:
                    break;
            }
        }
        if (status != 0 || m_readError) {
            throw DeclarationError(
                QStringLiteral("Le fichier de déclaration %1 n'est pas un document XML lisible%2.")
                    .arg(QDir::toNativeSeparators(path), m_parseError));
        }
        if (m_layout.page() == 0) {
            m_layout.newPage();
        }
    }

private:
    static void errorCallback(void* context, const char* message, xmlParserSeverities severity,
                              xmlTextReaderLocatorPtr locator) {
        auto* self = static_cast<Pass*>(context);
        if (self->m_parseError.isEmpty() && (severity == XML_PARSER_SEVERITY_ERROR ||
                                             severity == XML_PARSER_SEVERITY_VALIDITY_ERROR)) {
            self->m_parseError = QStringLiteral(" (ligne %1 : %2)")
                                     .arg(xmlTextReaderLocatorLineNumber(locator))
                                     .arg(QString::fromUtf8(message).trimmed());
        }
    }

    static int readCallback(void* context, char* buffer, int length) {
        auto* self = static_cast<Pass*>(context);
        const qint64 n = self->m_file->read(buffer, length);
        if (n < 0) {
            self->m_readError = true;
            return -1;
        }
        return int(n);
    }

    std::string_view parent() const {
        return m_stack.size() >= 2 ? m_stack[m_stack.size() - 2] : std::string_view();
    }
    bool inside(std::string_view ancestor) const {
        return std::find(m_stack.begin(), m_stack.end(), ancestor) != m_stack.end();
    }

    void start(const char* name) {
        m_stack.push_back(name);
        m_leaf = true;
        const std::string_view n(name);
        if (n == "InformationsEntrepriseDeclarante") {
            identificationDone();
            m_layout.heading(QStringLiteral("2. Entreprise déclarante et liens en capital"));
        } else if (n == "InformationsGroupeEntreprises") {
            m_layout.heading(QStringLiteral("3. Groupe et entité mère ultime"));
        } else if (n == "ListeActifsIncorporels" || n == "ListeActifsCorporels") {
            assetsHeading();
            const bool incorporels = n == "ListeActifsIncorporels";
            m_layout.subheading(ProblemLocation::pageTitle(incorporels
                                                               ? DeclarationPage::ActifsIncorporels
                                                               : DeclarationPage::ActifsCorporels));
            const DeclarationPage p =
                incorporels ? DeclarationPage::ActifsIncorporels : DeclarationPage::ActifsCorporels;
            std::vector<Column> columns;
            columns.push_back(Column{caption(p, "NATUREACTIF"), 3});
            if (incorporels) {
                columns.push_back(Column{caption(p, "ONEREUXGRATUIT"), 1});
            }
            columns.push_back(Column{identifierCaption(), 2.2});
            columns.push_back(Column{caption(p, "RAISONSOCIALE"), 2.6});
            columns.push_back(Column{caption(p, "QUALITE"), 2});
            columns.push_back(Column{caption(p, "NATURERELATION"), 1.8});
            m_layout.tableBegin(std::move(columns));
        } else if (n == "RestructurationsGroupeEntreprises") {
            assetsHeading();
            m_layout.subheading(QStringLiteral("Restructurations du groupe"));
        } else if (n == "MontantTransactionsMethodeDeterminationPrixTransfert") {
            m_transactionsSeen = true;
            m_layout.heading(QStringLiteral("5. Montants des transactions par catégorie"));
        } else if (const int c = category(n); c > 0) {
            m_category = c;
            m_categoryCode = QString::number(c);
            m_categoryName = label(m_categoryCode, CodeLists::ListeTypeMontant());
            m_natures = CodeLists::ListesNatureOperation(m_categoryCode);
            m_natureTexts.clear();
            m_methods.clear();
            m_achats.clear();
            m_ventes.clear();
            m_layout.subheading(QStringLiteral("Catégorie ") +
                                withLabel(m_categoryCode, m_categoryName));
            const DeclarationPage p = DeclarationPage::MontantsTransactions;
            m_layout.tableBegin({{caption(p, "NATUREOPERATIONS"), 2.4},
                                 {identifierCaption(), 2},
                                 {caption(p, "RAISONSOCIALE"), 2.4},
                                 {caption(p, "QUALITE"), 1.8},
                                 {caption(p, "NATURRELATION"), 1.6},
                                 {caption(p, "METHODE"), 1.3},
                                 {caption(p, "CHANGEMENTMETHODE"), 1.3},
                                 {caption(p, "ACHATS"), 1.6, true},
                                 {caption(p, "VENTES"), 1.6, true}});
        } else if (n == "InformationsPretsEmprunts") {
            transactionsAbsent();
            m_loansSeen = true;
            m_layout.heading(QStringLiteral("6. Prêts et emprunts"));
        } else if (n == "PretsAccordes" || n == "EmpruntsContractes") {
            m_layout.subheading(n == "PretsAccordes" ? QStringLiteral("Prêts accordés")
                                                     : QStringLiteral("Emprunts contractés"));
            m_currencies.clear();
            const DeclarationPage p = DeclarationPage::PretsEmprunts;
            m_layout.tableBegin({{identifierCaption(), 1.8},
                                 {caption(p, "RAISONSOCIALE"), 2},
                                 {caption(p, "QUALITE"), 1.5},
                                 {caption(p, "NATURERELATION"), 1.6},
                                 {caption(p, "DEVISE"), 1.4},
                                 {caption(p, "SOLDEOUVERTURE"), 1.4, true},
                                 {caption(p, "AUGMENTATIONS"), 1.4, true},
                                 {caption(p, "DIMINUTIONS"), 1.4, true},
                                 {caption(p, "SOLDECLOTURE"), 1.4, true},
                                 {caption(p, "PRETINTERET"), 0.9},
                                 {caption(p, "TAUXINTERET"), 0.8, true}});
        } else if (n == "OperationsSansContrepartieOuAvecContrepartieNonMonetaire") {
            transactionsAbsent();
            loansAbsent();
            m_layout.heading(QStringLiteral(
                "7. Opérations sans contrepartie ou avec contrepartie non monétaire"));
        } else if (n == "InformationsSurBiensOuServicesSansContrePartie") {
            m_layout.subheading(QStringLiteral("Biens ou services sans contrepartie monétaire"));
        } else if (n == "InformationsSurContrepartieNonMonetairePourBiensOuServices") {
            m_layout.subheading(
                QStringLiteral("Biens ou services avec contrepartie non monétaire"));
        } else if (n == "BiensOuServicesSansContrePartie" ||
                   n == "ContrepartieNonMonetairePourBiensOuServices") {
            const DeclarationPage p = DeclarationPage::SansContrepartie;
            m_layout.tableBegin({{identifierCaption(), 2},
                                 {caption(p, "RAISONSOCIALE"), 2.4},
                                 {caption(p, "QUALITE"), 1.8},
                                 {caption(p, "NATURERELATION"), 1.6},
                                 {caption(p, "NATUREBIENSERVICE"), 2.6},
                                 {caption(p, "NATURECONTREPARTIE"), 2.6}});
        } else if (n == "InformationsOperationsAccordsPrealablesOuRescritsFiscaux") {
            m_layout.heading(
                QStringLiteral("8. Opérations avec accord préalable ou rescrit fiscal"));
        } else if (n == "OperationsAccordsPrealablesOuRescritsFiscaux") {
            const DeclarationPage p = DeclarationPage::AccordsPrealables;
            m_layout.tableBegin({{identifierCaption(), 2},
                                 {caption(p, "RAISONSOCIALE"), 2.4},
                                 {caption(p, "QUALITE"), 1.8},
                                 {caption(p, "NATURERELATION"), 1.6},
                                 {caption(p, "NATUREOPERATION"), 2.6},
                                 {caption(p, "EXERCICEDEBUT"), 1, true},
                                 {caption(p, "EXERCICEFIN"), 1, true}});
        } else if (n == "ParticipationLiee" || n == "ParticipationDeclarante") {
            const DeclarationPage p = n == "ParticipationLiee" ? DeclarationPage::LiensCapital
                                                               : DeclarationPage::CapitalDeclarante;
            m_layout.subheading(ProblemLocation::pageTitle(p));
            m_layout.tableBegin({{identifierCaption(), 2.2},
                                 {caption(p, "RAISONSOCIALE"), 3},
                                 {caption(p, "QUALITE"), 2.4},
                                 {caption(p, "POURCENTCAPITAL"), 1.3, true},
                                 {caption(p, "POURVENVOTE"), 1.3, true}});
        } else if (n.starts_with("Ligne")) {
            m_row.clear();
        }
    }

    void end(const char* name, const QString& value) {
        const std::string_view n(name);
        const bool leaf = m_leaf;
        m_leaf = false;
        if (leaf) {
            this->leaf(n, value);
        } else if (n.starts_with("Ligne")) {
            lineEnd(n);
        } else if (category(n) > 0) {
            m_layout.tableRow(
                {QStringLiteral("Total de la catégorie"), QString(), QString(), QString(),
                 QString(), QString(), QString(), DeclarationSummary::amountText(m_achats),
                 DeclarationSummary::amountText(m_ventes)},
                true);
            m_layout.tableEnd();
            // The methods are given by their codes in the table, their names here.
            QStringList methods;
            for (const QString& code : m_methods) {
                methods.append(withLabel(code, label(code, CodeLists::ListeMethode())));
            }
            if (!methods.isEmpty()) {
                m_layout.paragraph(
                    QStringLiteral("Méthodes : ") + methods.join(QStringLiteral(" ; ")),
                    &m_layout.m_small);
            }
            m_totals.push_back({m_categoryCode, m_categoryName, m_achats, m_ventes});
            m_category = 0;
        } else if (n == "MontantTransactionsMethodeDeterminationPrixTransfert") {
            companies();
        } else if (n == "PretsAccordes" || n == "EmpruntsContractes") {
            for (const auto& [devise, t] : m_currencies) {
                m_layout.tableRow({QStringLiteral("Total ") +
                                       (devise.isEmpty() ? QStringLiteral("sans devise") : devise),
                                   QString(), QString(), QString(), devise, wholeText(t.ouverture),
                                   wholeText(t.augmentations), wholeText(t.diminutions),
                                   wholeText(t.cloture), QString(), QString()},
                                  true);
            }
            m_layout.tableEnd();
        } else if (n == "ParticipationLiee" || n == "ParticipationDeclarante" ||
                   n == "ListeActifsIncorporels" || n == "ListeActifsCorporels" ||
                   n == "BiensOuServicesSansContrePartie" ||
                   n == "ContrepartieNonMonetairePourBiensOuServices" ||
                   n == "OperationsAccordsPrealablesOuRescritsFiscaux") {
            m_layout.tableEnd();
        } else if (n == "IdentificationEntrepriseDeclarante") {
            identificationDone();
        } else if (n == "InformationsGroupeEntreprises") {
            assetsHeading();
        }
        m_stack.pop_back();
    }

    void leaf(std::string_view n, const QString& value) {
        const std::string_view p = parent();
        if (inside("Entete") || inside("IdentificationEntrepriseDeclarante")) {
            m_identification.emplace_back(std::string(n), value);
            return;
        }
        if (n.starts_with("Total")) {
            (n.starts_with("TotalAchats") ? m_achats : m_ventes) = value;
            return;
        }
        if (inLine()) {
            rowLeaf(n, p, value);
            return;
        }
        using P = DeclarationPage;
        if (inside("InformationsEntrepriseDeclarante")) {
            if (n == "Qualite") {
                m_layout.field(caption(P::IdentificationEntreprise, "QUALITE"),
                               withLabel(value, label(value, CodeLists::ListeQualite())));
            } else if (n == "AutreQualite") {
                m_layout.field(caption(P::IdentificationEntreprise, "AUTRESQUALITE"), value);
            } else if (n == "DescriptionActivitesPrincipales") {
                m_layout.field(
                    caption(P::IdentificationEntreprise, "DESCRIPTIONACTIVITESPRINCIPALES"), value);
            } else if (p == "ChangementsActiviteAuCoursExercice") {
                m_layout.field(caption(P::IdentificationEntreprise,
                                       n == "Affirmation" ? "AFFIRMATION" : "DESCRIPTION"),
                               n == "Affirmation" ? answerText(value) : value);
            } else if (p == "ModificationLiensCapitalAuCoursExercice") {
                m_layout.field(caption(P::IdentificationEntreprise,
                                       n == "Affirmation" ? "AFFIRMATIONCHANGEMENTCAPITAL"
                                                          : "DESCRIPTIONCHANGCAPITAL"),
                               n == "Affirmation" ? answerText(value) : value);
            }
            return;
        }
        if (inside("InformationsGroupeEntreprises")) {
            const P g = P::InformationsGroupe;
            if (n == "MatriculeFiscal") {
                m_layout.field(caption(g, "MFISCALMERE"), value);
            } else if (n == "Identifiant") {
                m_layout.field(caption(g, "AUTREMFISCAL"), value);
            } else if (n == "EtatTerritoire") {
                m_layout.field(caption(g, "ETATTERRITORIAL"), stateText(value));
            } else if (n == "RaisonSociale") {
                m_layout.field(caption(g, "RAISONSOCIALE"), value);
            } else if (n == "AdresseSiegeSocial") {
                m_layout.field(caption(g, "ADRESSE"), value);
            } else if (n == "DescriptionPrincipalesActivites") {
                m_layout.field(caption(g, "DESCRIPTIONACTIVITE"), value);
            } else if (n == "DescriptionGeneralePolitiquePrixTransfert") {
                m_layout.field(caption(g, "DESCRIPTIONPOLITIQUE"), value);
            } else if (n == "Affirmation") {
                m_layout.field(caption(g, "AFFIRMATOINRESTRUCTURATION"), answerText(value));
            } else if (n == "Description") {
                m_layout.field(caption(g, "DESCRIPTIONRESTRUCTURATION"), value);
            }
            return;
        }
        if (n == "DescriptionTransactionsRegimeFiscalPrivilegie") {
            m_layout.space(m_layout.mm(2));
            m_layout.field(caption(P::AutresInformations, "DESCRIPTIONREGIMEFISCAL"), value);
        } else if (n == "Affirmation") {
            const char* column = p == "InformationsSurBiensOuServicesSansContrePartie"
                                     ? "AFFIRMATIONBIENSERVICE"
                                 : p == "InformationsSurContrepartieNonMonetairePourBiensOuServices"
                                     ? "AFFIRMATIONBIENSERVICEAVECCONTR"
                                     : "AFFIRMATIONACCORDPREALABLE";
            m_layout.field(caption(P::AutresInformations, column), answerText(value));
        } else if (n == "AutresInformationsARenseignerSurDeclarationPrixTransfert") {
            transactionsAbsent();
            loansAbsent();
            m_layout.heading(QStringLiteral("9. Autres informations"));
            m_layout.field(caption(P::AutresInformations, "AUTRESINFORMATIONS"), value);
        }
    }

    bool inLine() const {
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
            if (it->starts_with("Ligne")) {
                return true;
            }
        }
        return false;
    }

    void rowLeaf(std::string_view n, std::string_view p, const QString& v) {
        Row& r = m_row;
        if (n == "MatriculeFiscal")
            r.matricule = v;
        else if (n == "Identifiant")
            r.identifiant = v;
        else if (n == "EtatTerritoire")
            r.etat = v;
        else if (n == "RaisonSociale")
            r.raison = v;
        else if (n == "Qualite")
            r.qualite = v;
        else if (n == "AutreQualite")
            r.autreQualite = v;
        else if (n == "NatureRelation")
            r.relation = v;
        else if (n == "AutreNatureRelation")
            r.autreRelation = v;
        else if (n == "MethodeDeterminationPrixTransfert")
            (p == "ChangementMethodePrixTransfert" ? r.changement : r.methode) = v;
        else if (n == "AchatsDepenses")
            r.achats = v;
        else if (n == "VentesRevenus")
            r.ventes = v;
        else if (n == "PourcentageDetentionCapital")
            r.capital = v;
        else if (n == "PourcentageDetentionDroitsVote")
            r.vote = v;
        else if (n == "SoldeOuverture")
            r.ouverture = v;
        else if (n == "Devise")
            r.devise = v;
        else if (n == "MouvementsAugmentations")
            r.augmentations = v;
        else if (n == "MouvementsDiminutions")
            r.diminutions = v;
        else if (n == "SoldeCloture")
            r.cloture = v;
        else if (n == "PretsInterets" || n == "EmpruntInterets")
            r.interets = v;
        else if (n == "TauxInterets")
            r.taux = v;
        else if (n == "OnereuxGratuit")
            r.onereux = v;
        else if (n == "NatureContrepartie")
            r.contrepartie = v;
        else if (n == "ExerciceDebut")
            r.debut = v;
        else if (n == "ExerciceFin")
            r.fin = v;
        else if (n.starts_with("Nature"))
            r.nature = v;  // of the operation, the asset or the service
    }

    QString identifierOf(const Row& r) {
        if (!r.matricule.isEmpty()) {
            return r.matricule;
        }
        if (r.identifiant.isEmpty()) {
            return QString();
        }
        return r.identifiant + QStringLiteral(" (") + m_stateNames.get(r.etat, [&] {
            const QString state = referenceLabel(r.etat, ReferenceData::states());
            return state.isEmpty() ? r.etat : state;
        }) + u')';
    }
    QString qualityOf(const Row& r) {
        if (r.qualite.isEmpty()) {
            return r.autreQualite;
        }
        return m_qualityTexts.get(r.qualite, [&] {
            return withLabel(r.qualite, label(r.qualite, CodeLists::ListeQualite()));
        });
    }
    QString relationOf(const Row& r) {
        if (r.relation.isEmpty()) {
            return r.autreRelation;
        }
        return m_relationTexts.get(r.relation, [&] {
            return withLabel(r.relation, label(r.relation, CodeLists::ListeNatureRelationCourt()));
        });
    }

    void lineEnd(std::string_view n) {
        const Row& r = m_row;
        if (n == "LigneParticipationLiee" || n == "LigneParticipationDeclarante") {
            m_layout.tableRow({identifierOf(r), r.raison, qualityOf(r),
                               DeclarationSummary::rateText(r.capital),
                               DeclarationSummary::rateText(r.vote)});
        } else if (n == "LigneActifIncorporel" || n == "LigneActifCorporel") {
            std::vector<QString> cells = {m_assetTexts.get(r.nature, [&] {
                return withLabel(r.nature, label(r.nature, CodeLists::ListeNatureActif()));
            })};
            if (n == "LigneActifIncorporel") {
                cells.push_back(answerText(r.onereux));
            }
            cells.insert(cells.end(), {identifierOf(r), r.raison, qualityOf(r), relationOf(r)});
            m_layout.tableRow(cells);
        } else if (n == "LignePretAccorde" || n == "LigneEmpruntContracte") {
            m_layout.tableRow(
                {identifierOf(r), r.raison, qualityOf(r), relationOf(r),
                 m_currencyTexts.get(r.devise,
                                     [&] {
                                         return withLabel(
                                             r.devise,
                                             referenceLabel(r.devise, ReferenceData::currencies()));
                                     }),
                 DeclarationSummary::amountText(r.ouverture),
                 DeclarationSummary::amountText(r.augmentations),
                 DeclarationSummary::amountText(r.diminutions),
                 DeclarationSummary::amountText(r.cloture), r.interets,
                 DeclarationSummary::rateText(r.taux)});
            CurrencyTotal& t = m_currencies[r.devise.trimmed()];
            t.ouverture += wholeOf(r.ouverture);
            t.augmentations += wholeOf(r.augmentations);
            t.diminutions += wholeOf(r.diminutions);
            t.cloture += wholeOf(r.cloture);
        } else if (n == "LigneBiensOuServicesSansContrePartie" ||
                   n == "LigneContrepartieNonMonetairePourBiensOuServices") {
            m_layout.tableRow(
                {identifierOf(r), r.raison, qualityOf(r), relationOf(r), r.nature, r.contrepartie});
        } else if (n == "LigneOperationsAccordsPrealablesOuRescritsFiscaux") {
            m_layout.tableRow(
                {identifierOf(r), r.raison, qualityOf(r), relationOf(r), r.nature, r.debut, r.fin});
        } else if (m_category > 0) {
            const QString identifier = identifierOf(r);
            m_layout.tableRow(
                {m_natureTexts.get(r.nature,
                                   [&] { return withLabel(r.nature, label(r.nature, m_natures)); }),
                 identifier, r.raison, qualityOf(r), relationOf(r), r.methode, r.changement,
                 DeclarationSummary::amountText(r.achats),
                 DeclarationSummary::amountText(r.ventes)});
            for (const QString* method : {&r.methode, &r.changement}) {
                if (!method->isEmpty()) {
                    m_methods.insert(*method);
                }
            }
            Company& c = m_companies[(identifier + QChar(kKeySeparator) + r.raison).toUtf8()];
            ++c.lines;
            c.achats += wholeOf(r.achats);
            c.ventes += wholeOf(r.ventes);
        }
    }

    /// Totals per related company, largest first, and the chart of the categories.
    void companies() {
        m_layout.subheading(QStringLiteral("Totaux par entreprise liée"));
        using Entry = std::pair<const QByteArray*, const Company*>;
        std::vector<Entry> sorted;
        sorted.reserve(m_companies.size());
        for (auto it = m_companies.cbegin(); it != m_companies.cend(); ++it) {
            sorted.emplace_back(&it.key(), &it.value());
        }
        // Largest first by purchases plus sales; equal ones by identifier and name.
        std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
            const Whole sa = a.second->achats + a.second->ventes;
            const Whole sb = b.second->achats + b.second->ventes;
            return sa != sb ? sa > sb : *a.first < *b.first;
        });
        const DeclarationPage p = DeclarationPage::MontantsTransactions;
        m_layout.tableBegin({{identifierCaption(), 2.2},
                             {caption(p, "RAISONSOCIALE"), 3.4},
                             {QStringLiteral("Lignes"), 0.9, true},
                             {caption(p, "ACHATS"), 1.8, true},
                             {caption(p, "VENTES"), 1.8, true},
                             {QStringLiteral("Achats + Ventes"), 1.8, true}});
        for (const auto& [key, c] : sorted) {
            const QString text = QString::fromUtf8(*key);
            const qsizetype separator = text.indexOf(QChar(kKeySeparator));
            m_layout.tableRow({text.left(separator), text.mid(separator + 1),
                               QString::number(c->lines), wholeText(c->achats),
                               wholeText(c->ventes), wholeText(c->achats + c->ventes)});
        }
        m_layout.tableEnd();
        if (!m_totals.empty()) {
            m_layout.subheading(QStringLiteral("Achats et ventes par catégorie"));
            m_layout.chart(m_totals);
        }
    }

    static int category(std::string_view n) {
        for (int i = 0; i < 6; ++i) {
            if (n == kCategoryContainers[i]) {
                return i + 1;
            }
        }
        return 0;
    }

    static QString identifierCaption() {
        return QStringLiteral("Matricule Fiscal / Autre Identifiant");
    }

    void assetsHeading() {
        if (!m_assetsHeading) {
            m_assetsHeading = true;
            m_layout.heading(QStringLiteral("4. Actifs incorporels et corporels"));
        }
    }
    void transactionsAbsent() {
        if (!m_transactionsSeen) {
            m_transactionsSeen = true;
            m_layout.heading(QStringLiteral("5. Montants des transactions par catégorie"));
            m_layout.paragraph(QStringLiteral("Aucune transaction n'est déclarée."));
        }
    }
    void loansAbsent() {
        if (!m_loansSeen) {
            m_loansSeen = true;
            m_layout.heading(QStringLiteral("6. Prêts et emprunts"));
            m_layout.paragraph(QStringLiteral("Aucun prêt ni emprunt n'est déclaré."));
        }
    }

    QString value(std::string_view element) const {
        for (const auto& [name, v] : m_identification) {
            if (name == element) {
                return v;
            }
        }
        return QString();
    }

    /// The cover and the identification section, once the file's first two blocks are read.
    void identificationDone() {
        if (m_identificationDone) {
            return;
        }
        m_identificationDone = true;
        const QString exercice = value("Exercice");
        const QString raison = value("RaisonSociale");
        const QString matricule = value("MatriculeFiscalDeclarant");
        m_layout.setFrame(
            raison + QStringLiteral(" — ") + matricule + QStringLiteral(" — Exercice ") + exercice,
            m_facts.sha256.left(16), m_facts.pages);
        cover(raison, matricule, exercice);

        m_layout.newPage();
        m_layout.heading(QStringLiteral("1. Identification de l'entreprise déclarante"));
        const DeclarationPage p = DeclarationPage::IdentificationEntreprise;
        for (const auto& [name, v] : m_identification) {
            const std::string_view n(name);
            if (n == "CodeActe")
                m_layout.field(caption(p, "CODEACTE"),
                               withLabel(v, label(v, CodeLists::ListeCodeActe())));
            else if (n == "Exercice")
                m_layout.field(caption(p, "EXERCICE"), v);
            else if (n == "MatriculeFiscalDeclarant")
                m_layout.field(caption(p, "MFISCAL"), v);
            else if (n == "CodeTVA")
                m_layout.field(caption(p, "TVA"), v);
            else if (n == "CodeCategorie")
                m_layout.field(caption(p, "CATEGORIE"),
                               withLabel(v, referenceLabel(v, ReferenceData::categories())));
            else if (n == "TypeDeclaration")
                m_layout.field(caption(p, "TYPEDECLARATION"),
                               withLabel(v, label(v, CodeLists::ListeTypeDeclaration())));
            else if (n == "DateDebutExercice")
                m_layout.field(caption(p, "DATEDEBUT"), v);
            else if (n == "DateFinExercice") {
                m_layout.field(caption(p, "DATEFIN"), v);
                m_layout.field(caption(p, "NATUREDATEFIN"),
                               withLabel(m_natureDateFin,
                                         label(m_natureDateFin, CodeLists::ListeNatureDateFin())));
            } else if (n == "RaisonSociale")
                m_layout.field(caption(p, "RAISONSOCIALE"), v);
            else if (n == "FormeJuridique")
                m_layout.field(caption(p, "FORMEJURIDIQUE"), v);
            else if (n == "Nationalite")
                m_layout.field(caption(p, "NATIONALITE"), stateText(v));
            else if (n == "AdresseSiegeSocialEtablissementTunisie")
                m_layout.field(caption(p, "ADRESSE"), v);
            else if (n == "CodePostal")
                m_layout.field(caption(p, "CODEPOSTAL"), v);
            else if (n == "ActivitePrincipale")
                m_layout.field(caption(p, "ACTIVITEPRINCIPALE"), v);
            else if (n == "ActiviteSecondaire")
                m_layout.field(caption(p, "ACTIVITESECONDAIRE"), v);
            else if (n == "ChiffreAffaireAnnuel")
                m_layout.field(caption(p, "CHIFFREAFFAIREANNUEL"),
                               DeclarationSummary::amountText(v));
        }
    }

    void cover(const QString& raison, const QString& matricule, const QString& exercice) {
        Layout& l = m_layout;
        l.newPage();
        l.space(l.mm(10));
        l.paragraph(QStringLiteral("Récapitulatif de la déclaration des prix de transfert"),
                    &l.m_title);
        l.space(l.mm(6));
        l.paragraph(raison, &l.m_h1);
        l.field(QStringLiteral("Matricule fiscal"), matricule);
        l.field(QStringLiteral("Exercice"),
                QStringLiteral("%1, du %2 au %3")
                    .arg(exercice, value("DateDebutExercice"), value("DateFinExercice")));
        const QString acte = value("CodeActe");
        l.field(QStringLiteral("Acte de dépôt"),
                withLabel(acte, label(acte, CodeLists::ListeCodeActe())));
        const QString type = value("TypeDeclaration");
        l.field(QStringLiteral("Type de déclaration"),
                withLabel(type, label(type, CodeLists::ListeTypeDeclaration())));
        l.space(l.mm(6));
        l.subheading(QStringLiteral("Fichier décrit"));
        l.field(QStringLiteral("Nom du fichier"), m_facts.fileName);
        l.field(QStringLiteral("Taille"),
                DeclarationSummary::amountText(QString::number(m_facts.size)) +
                    QStringLiteral(" octets"));
        l.field(QStringLiteral("SHA-256"), QString());
        l.line(m_facts.sha256.isEmpty() ? QString(64, u'0') : m_facts.sha256, l.m_mono);
        l.field(QStringLiteral("Généré le"),
                m_facts.generatedAt.toString(QStringLiteral("dd/MM/yyyy à HH:mm:ss")));
        l.space(l.mm(6));
        l.subheading(QStringLiteral("Contrôle avant dépôt (schéma %1)")
                         .arg(DeclarationValidator::schemaName()));
        const qsizetype count = m_facts.problems.size();
        if (count == 0) {
            l.paragraph(DeclarationSummary::kNoProblem + u'.', &l.m_bold);
        } else {
            l.paragraph(QStringLiteral("%1 problème%2 relevé%2%3")
                            .arg(count)
                            .arg(count > 1 ? QStringLiteral("s") : QString())
                            .arg(count > 10 ? QStringLiteral(" ; les dix premiers :")
                                            : QStringLiteral(" :")),
                        &l.m_bold);
            for (qsizetype i = 0; i < std::min<qsizetype>(count, 10); ++i) {
                l.paragraph(QStringLiteral("%1. ").arg(i + 1) + m_facts.problems.at(i).text());
            }
        }
    }

    Layout& m_layout;
    Facts& m_facts;
    QFile* m_file = nullptr;
    bool m_readError = false;
    QString m_parseError;
    std::vector<std::string_view> m_stack;
    bool m_leaf = false;
    QString m_natureDateFin;
    std::vector<std::pair<std::string, QString>> m_identification;
    bool m_identificationDone = false;
    bool m_assetsHeading = false;
    bool m_transactionsSeen = false;
    bool m_loansSeen = false;
    Row m_row;
    int m_category = 0;
    QString m_categoryCode, m_categoryName, m_achats, m_ventes;
    QStringList m_natures;
    std::set<QString> m_methods;
    std::vector<CategoryTotal> m_totals;
    std::map<QString, CurrencyTotal> m_currencies;
    QHash<QByteArray, Company> m_companies;
    CodeTexts m_natureTexts, m_assetTexts, m_currencyTexts, m_stateNames, m_qualityTexts,
        m_relationTexts;
};

struct FileHash {
    QString hex;
    qint64 size = 0;
    QString error;
};

FileHash hashOf(const QString& path) {
    FileHash result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(buffer.data(), buffer.size())) > 0) {
        hash.addData(QByteArrayView(buffer.data(), n));
        result.size += n;
    }
    if (n < 0) {
        result.error = file.errorString();
        return result;
    }
    result.hex = QString::fromLatin1(hash.result().toHex());
    return result;
}

void loadFonts() {
    static bool loaded = false;
    if (loaded) {
        return;
    }
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf"}) {
        const QString path = kFontFolder + QLatin1StringView(file);
        if (QFontDatabase::addApplicationFont(path) < 0) {
            throw DeclarationError(
                QStringLiteral("La police %1 est introuvable : le récapitulatif PDF demande le "
                               "paquet fonts-dejavu-core.")
                    .arg(path));
        }
    }
    loaded = true;
}

}  // namespace

QString DeclarationSummary::pathFor(const QString& xmlPath) {
    const QFileInfo info(xmlPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
}

int DeclarationSummary::lastPageCount() {
    return g_lastPageCount;
}

QString DeclarationSummary::amountText(QStringView fileValue) {
    QStringView digits = fileValue;
    const bool negative = digits.startsWith(u'-');
    if (negative) {
        digits = digits.mid(1);
    }
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(),
                                         [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return fileValue.toString();
    }
    while (digits.size() > 1 && digits.front() == u'0') {
        digits = digits.mid(1);
    }
    QString result;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            result += u' ';
        }
        result += digits[i];
    }
    if (negative && result != u"0") {
        result.prepend(u'-');
    }
    return result;
}

QString DeclarationSummary::rateText(QStringView fileValue) {
    if (fileValue.isEmpty()) {
        return QString();
    }
    return amountText(fileValue) + QStringLiteral(" %");
}

QString DeclarationSummary::codeText(const QString& code, const QStringList& list) {
    return withLabel(code, label(code, list));
}

QString DeclarationSummary::write(const QString& xmlPath, const DeclarationProblems& problems,
                                  const QDateTime& generatedAt) {
    g_lastPageCount = 0;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw DeclarationError(QStringLiteral(
            "Le récapitulatif PDF ne peut être dessiné sans plate-forme graphique."));
    }
    loadFonts();
    const QString pdfPath = pathFor(xmlPath);
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly)) {
        throw DeclarationError(QStringLiteral("Le récapitulatif %1 ne peut être créé : %2")
                                   .arg(QDir::toNativeSeparators(pdfPath), out.errorString()));
    }
    Facts facts;
    facts.fileName = QFileInfo(xmlPath).fileName();
    facts.problems = problems;
    facts.generatedAt = generatedAt;

    QPdfWriter writer(&out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Ardoz Prix de Transfert"));
    writer.setTitle(QStringLiteral("Récapitulatif de ") + facts.fileName);
    // Lengths and measures come from a writer of the same pages that nothing is drawn on: the
    // one above belongs to the thread that writes the pages.
    QBuffer nowhere;
    QPdfWriter measure(&nowhere);
    measure.setPageSize(writer.pageLayout().pageSize());
    measure.setPageMargins(QMarginsF(0, 0, 0, 0));
    measure.setResolution(writer.resolution());

    {
        // First pass: the pages are counted, nothing drawn; the file's hash is taken beside
        // it, on a core of its own when there is one.
        std::future<FileHash> hashing = std::async(std::launch::async, hashOf, xmlPath);
        Layout layout(measure, nullptr);
        Pass pass(layout, facts);
        pass.run(xmlPath);
        facts.pages = layout.page();
        const FileHash hash = hashing.get();
        if (!hash.error.isEmpty()) {
            throw DeclarationError(
                QStringLiteral("Le fichier de déclaration %1 ne peut être lu : %2")
                    .arg(QDir::toNativeSeparators(xmlPath), hash.error));
        }
        facts.sha256 = hash.hex;
        facts.size = hash.size;
    }
    // Second pass: this thread lays the pages out again, another writes them, a few pages
    // behind.
    PageWriter pages(writer);
    Layout layout(measure, &pages);
    Pass pass(layout, facts);
    pass.run(xmlPath);
    layout.finishPage();
    if (!pages.finish()) {
        throw DeclarationError(QStringLiteral("Le récapitulatif %1 ne peut être dessiné.")
                                   .arg(QDir::toNativeSeparators(pdfPath)));
    }
    // Every footer states the first pass's count: a document whose pages disagree with it
    // is not written.
    if (layout.page() != facts.pages) {
        throw DeclarationError(
            QStringLiteral("Le récapitulatif %1 n'a pu être mis en pages : %2 pages annoncées, "
                           "%3 dessinées.")
                .arg(QDir::toNativeSeparators(pdfPath))
                .arg(facts.pages)
                .arg(layout.page()));
    }
    if (out.error() != QFileDevice::NoError || !out.commit()) {
        throw DeclarationError(QStringLiteral("Le récapitulatif %1 n'a pu être écrit : %2")
                                   .arg(QDir::toNativeSeparators(pdfPath), out.errorString()));
    }
    g_lastPageCount = layout.page();
    return pdfPath;
}
