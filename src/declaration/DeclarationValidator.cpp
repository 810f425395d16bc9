#include "declaration/DeclarationValidator.h"

#include "declaration/DeclarationError.h"
#include "declaration/ProblemMessages.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

/// The six assertions of the schema, which libxml2 cannot read: when the container's
/// Affirmation is O, the required child must be there.
struct Assertion {
    const char* container;
    const char* required;
};

constexpr Assertion kAssertions[] = {
    {"ChangementsActiviteAuCoursExercice", "Description"},
    {"ModificationLiensCapitalAuCoursExercice", "Description"},
    {"RestructurationsGroupeEntreprises", "Description"},
    {"InformationsSurBiensOuServicesSansContrePartie", "BiensOuServicesSansContrePartie"},
    {"InformationsSurContrepartieNonMonetairePourBiensOuServices",
     "ContrepartieNonMonetairePourBiensOuServices"},
    {"InformationsOperationsAccordsPrealablesOuRescritsFiscaux",
     "OperationsAccordsPrealablesOuRescritsFiscaux"},
};

int assertionOf(const char* element) {
    for (int i = 0; i < static_cast<int>(std::size(kAssertions)); ++i) {
        if (std::strcmp(element, kAssertions[i].container) == 0) {
            return i;
        }
    }
    return -1;
}

/// The built-in schema, loaded and compiled once per run.
class BuiltInSchema {
public:
    static BuiltInSchema& instance() {
        static BuiltInSchema schema;
        return schema;
    }

    ~BuiltInSchema() {
        if (m_schema) {
            xmlSchemaFree(m_schema);
        }
    }

    xmlSchemaPtr compiled() {
        if (!m_schema) {
            throw DeclarationError(
                QStringLiteral("Le schéma de l'administration intégré au programme ne peut pas "
                               "être chargé : %1")
                    .arg(m_error));
        }
        return m_schema;
    }

    QByteArray published;
    QString version;

private:
    BuiltInSchema() {
        xmlInitParser();
        QFile file(QStringLiteral(":/declaration/FDPT.xsd"));
        if (!file.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("ressource introuvable.");
            return;
        }
        published = file.readAll();
        const QString problem = readAssertions();
        if (!problem.isEmpty()) {
            m_error = problem;
            return;
        }
        // libxml2 reads XSD 1.0: the assertions go, the rest is kept word for word.
        static const QRegularExpression assertElement(QStringLiteral("<xsd:assert\\b[^>]*/>"));
        const QByteArray stripped = QString::fromUtf8(published).remove(assertElement).toUtf8();

        xmlSchemaParserCtxtPtr parser =
            xmlSchemaNewMemParserCtxt(stripped.constData(), static_cast<int>(stripped.size()));
        xmlSchemaSetParserStructuredErrors(
            parser,
            [](void* self, xmlErrorPtr error) {
                auto* schema = static_cast<BuiltInSchema*>(self);
                if (schema->m_error.isEmpty() && error && error->message) {
                    schema->m_error = QString::fromUtf8(error->message).trimmed();
                }
            },
            this);
        m_schema = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
        if (!m_schema && m_error.isEmpty()) {
            m_error = QStringLiteral("schéma illisible.");
        }
    }

    /// Reads the version and checks that the assertions are exactly the six this class
    /// checks itself, on the elements it expects.
    QString readAssertions() {
        QXmlStreamReader reader(published);
        QStringList elements;
        int found = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement()) {
                if (reader.name() == QLatin1StringView("schema")) {
                    version = reader.attributes().value(QLatin1StringView("version")).toString();
                } else if (reader.name() == QLatin1StringView("element")) {
                    elements.append(
                        reader.attributes().value(QLatin1StringView("name")).toString());
                } else if (reader.name() == QLatin1StringView("assert")) {
                    const QString test =
                        reader.attributes().value(QLatin1StringView("test")).toString();
                    if (found >= static_cast<int>(std::size(kAssertions))) {
                        return QStringLiteral("assertion inattendue : %1.").arg(test);
                    }
                    const Assertion& a = kAssertions[found++];
                    const QString expected =
                        QStringLiteral("not(Affirmation = 'O') or %1").arg(a.required);
                    if (test != expected || elements.isEmpty() ||
                        elements.last() != QLatin1StringView(a.container)) {
                        return QStringLiteral("assertion inattendue : %1.").arg(test);
                    }
                }
            } else if (reader.isEndElement() && reader.name() == QLatin1StringView("element")) {
                elements.removeLast();
            }
        }
        if (reader.hasError()) {
            return reader.errorString();
        }
        if (found != static_cast<int>(std::size(kAssertions))) {
            return QStringLiteral("%1 assertions au lieu de %2.")
                .arg(found)
                .arg(std::size(kAssertions));
        }
        return QString();
    }

    xmlSchemaPtr m_schema = nullptr;
    QString m_error;
};

}  // namespace

/// The push parser, the schema validation plugged into it and the state of the elements
/// open in the stream.
struct DeclarationValidator::Parser {
    enum class Phase { Start, End };

    /// What the assertions need to know of an element name.
    struct Kind {
        int assertion = -1;
        bool isAffirmation = false;
    };

    struct Open {
        const char* name = nullptr;  // from the parser's dictionary
        ElementSource source;
        // std::string rather than QByteArray: appended to for every text of the document,
        // and reused from one element to the next at the same depth without reallocating.
        std::string text;
        std::string attribute;
        std::string affirmation;
        int assertion = -1;
        bool isAffirmation = false;
        bool hasChildren = false;
        bool hasRequired = false;
        bool reported = false;

        /// Made ready for a new element, keeping the memory of its strings.
        void reset(const char* element, const Kind& kind) {
            name = element;
            source = ElementSource();
            text.clear();
            attribute.clear();
            affirmation.clear();
            assertion = kind.assertion;
            isAffirmation = kind.isAffirmation;
            hasChildren = false;
            hasRequired = false;
            reported = false;
        }
    };

    explicit Parser(DeclarationValidator& owner) : m_owner(owner) {
        m_validation = xmlSchemaNewValidCtxt(BuiltInSchema::instance().compiled());
        xmlSchemaSetValidStructuredErrors(m_validation, &Parser::onError, this);

        std::memset(&m_sax, 0, sizeof m_sax);
        m_sax.initialized = XML_SAX2_MAGIC;
        m_sax.startElementNs = &Parser::onStart;
        m_sax.endElementNs = &Parser::onEnd;
        m_sax.characters = &Parser::onCharacters;
        m_context = xmlCreatePushParserCtxt(&m_sax, this, nullptr, 0, nullptr);
        // Long descriptions may exceed libxml2's default limit on one text.
        xmlCtxtUseOptions(m_context, XML_PARSE_NONET | XML_PARSE_HUGE);
        m_plug = xmlSchemaSAXPlug(m_validation, &m_context->sax, &m_context->userData);
        m_stack.reserve(16);
    }

    ~Parser() {
        if (m_plug) {
            xmlSchemaSAXUnplug(m_plug);
        }
        if (m_context) {
            xmlFreeParserCtxt(m_context);
        }
        if (m_validation) {
            xmlSchemaFreeValidCtxt(m_validation);
        }
    }

    void feed(const char* data, int size, bool terminate) {
        xmlParseChunk(m_context, data, size, terminate ? 1 : 0);
    }

    bool wellFormed() const { return m_context->wellFormed != 0; }

    static void onStart(void* self, const xmlChar* localname, const xmlChar*, const xmlChar*, int,
                        const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
        static_cast<Parser*>(self)->start(reinterpret_cast<const char*>(localname), attributeCount,
                                          attributes);
    }

    static void onEnd(void* self, const xmlChar*, const xmlChar*, const xmlChar*) {
        static_cast<Parser*>(self)->end();
    }

    static void onCharacters(void* self, const xmlChar* text, int length) {
        auto* parser = static_cast<Parser*>(self);
        if (parser->m_depth == 0) {
            return;
        }
        Open& top = parser->m_stack[parser->m_depth - 1];
        // Values are short, except descriptions, whose length matters to no rule.
        constexpr qsizetype kKept = 4096;
        if (!top.hasChildren && top.text.size() < std::size_t(kKept)) {
            top.text.append(reinterpret_cast<const char*>(text), length);
        }
    }

    static void onError(void* self, xmlErrorPtr error) { static_cast<Parser*>(self)->error(error); }

    /// The names come from the parser's dictionary: one address per name, looked up once.
    const Kind& kindOf(const char* name) {
        auto [it, inserted] = m_kinds.try_emplace(name);
        if (inserted) {
            it->second.assertion = assertionOf(name);
            it->second.isAffirmation = std::strcmp(name, "Affirmation") == 0;
        }
        return it->second;
    }

    void start(const char* name, int attributeCount, const xmlChar** attributes) {
        m_phase = Phase::Start;
        if (m_depth > 0) {
            Open& parent = m_stack[m_depth - 1];
            parent.hasChildren = true;
            parent.text.clear();
            if (parent.assertion >= 0 &&
                std::strcmp(name, kAssertions[parent.assertion].required) == 0) {
                parent.hasRequired = true;
            }
        }
        if (m_depth == m_stack.size()) {
            m_stack.emplace_back();
        }
        Open& open = m_stack[m_depth++];
        open.reset(name, kindOf(name));
        auto& pending = m_owner.m_pending;
        if (!pending.empty() && pending.front().name &&
            std::strcmp(pending.front().name, name) == 0) {
            open.source = pending.front();
            pending.pop_front();
        } else {
            ++m_owner.m_unmatched;
            inheritSource(open);
        }
        if (attributeCount > 0) {
            // localname, prefix, URI, value, end of value
            open.attribute.assign(reinterpret_cast<const char*>(attributes[3]),
                                  attributes[4] - attributes[3]);
        }
    }

    void end() {
        m_phase = Phase::End;
        // The element just closed stays in its place until another opens at its depth.
        const Open& closed = m_stack[--m_depth];
        if (m_depth == 0) {
            return;
        }
        if (closed.isAffirmation) {
            m_stack[m_depth - 1].affirmation = closed.text;
        }
        if (closed.assertion >= 0 && closed.affirmation == "O" && !closed.hasRequired) {
            m_stack[m_depth].reported = true;
            m_owner.m_problems.append(
                ProblemMessages::missingDetail(QByteArrayView(closed.name), closed.source));
        }
    }

    /// An element without a source of its own is reported at its nearest ancestor's row.
    void inheritSource(Open& open) const {
        for (std::size_t i = m_depth - 1; i-- > 0;) {
            if (m_stack[i].source.page >= 0) {
                open.source = m_stack[i].source;
                open.source.name = open.name;
                open.source.field = nullptr;
                open.source.alternative = nullptr;
                return;
            }
        }
    }

    void error(xmlErrorPtr error) {
        if (!error || error->domain != XML_FROM_SCHEMASV) {
            return;
        }
        // Validation of an element runs right after our own handler for the same event:
        // at a start tag it concerns the element just opened, at an end tag the one
        // just closed.
        const bool atStart = m_phase == Phase::Start && m_depth > 0;
        if (!atStart && m_depth >= m_stack.size()) {
            return;
        }
        // At an end tag, the element just closed, right beyond the open ones.
        Open& element = atStart ? m_stack[m_depth - 1] : m_stack[m_depth];
        if (element.reported || !element.name) {
            return;
        }
        element.reported = true;

        const qsizetype parentIndex = static_cast<qsizetype>(m_depth) - (atStart ? 2 : 1);
        const QByteArrayView parent =
            parentIndex >= 0 ? QByteArrayView(m_stack[parentIndex].name) : QByteArrayView();

        ProblemMessages::Refused refused;
        refused.element = QByteArrayView(element.name);
        refused.parent = parent;
        refused.source = element.source;
        const QString message = QString::fromUtf8(error->message ? error->message : "");
        if (error->code == XML_SCHEMAV_ELEMENT_CONTENT) {
            refused.refusal = message.contains(QLatin1StringView("Missing child"))
                                  ? ProblemMessages::Refusal::MissingChild
                                  : ProblemMessages::Refusal::UnexpectedChild;
        } else if (error->code == XML_SCHEMAV_CVC_MAXLENGTH_VALID) {
            refused.refusal = ProblemMessages::Refusal::TooLong;
        }
        static const QRegularExpression attributeName(QStringLiteral(", attribute '([^']+)'"));
        const QRegularExpressionMatch match = attributeName.match(message);
        QByteArray attribute;
        if (match.hasMatch()) {
            attribute = match.captured(1).toLatin1();
            refused.attribute = attribute;
            refused.value = QString::fromUtf8(element.attribute.data(),
                                              static_cast<qsizetype>(element.attribute.size()));
        } else {
            refused.value =
                QString::fromUtf8(element.text.data(), static_cast<qsizetype>(element.text.size()));
        }
        m_owner.m_problems.append(ProblemMessages::refused(refused));
    }

    DeclarationValidator& m_owner;
    xmlSchemaValidCtxtPtr m_validation = nullptr;
    xmlParserCtxtPtr m_context = nullptr;
    xmlSchemaSAXPlugPtr m_plug = nullptr;
    xmlSAXHandler m_sax;
    // The elements open in the stream are the first m_depth; those beyond wait to be reused.
    std::vector<Open> m_stack;
    std::size_t m_depth = 0;
    std::unordered_map<const char*, Kind> m_kinds;
    Phase m_phase = Phase::Start;
};

/// The thread that parses, and the blocks waiting for it. The writer waits when the parser
/// lags too far behind, so memory stays bounded whatever the size of the document: at most
/// 4 MiB waiting and as much kept for reuse. With only a few blocks, the writer's bursts (a
/// category's lines fetched at once) made each thread wait for the other in turn.
struct DeclarationValidator::Worker {
    struct Block {
        std::vector<ElementSource> sources;
        QByteArray data;
        qsizetype size = 0;
        bool last = false;
    };
    static constexpr std::size_t kMaxWaiting = 16;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Block> waiting;
    // Arrays of blocks already parsed, handed back to the writer rather than freed.
    std::vector<QByteArray> spare;
    bool abandoned = false;  // the writer gave up: drop what waits
    bool done = false;       // the thread has ended
    std::exception_ptr failure;
    std::thread thread;

    explicit Worker(DeclarationValidator& owner) {
        thread = std::thread([this, &owner] { run(owner); });
    }

    void run(DeclarationValidator& owner) {
        try {
            // The schema is compiled here, while the writer runs its first queries.
            owner.m_parser = std::make_unique<Parser>(owner);
            for (;;) {
                Block block;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [this] { return !waiting.empty() || abandoned; });
                    if (abandoned) {
                        break;
                    }
                    block = std::move(waiting.front());
                    waiting.pop_front();
                }
                changed.notify_all();
                owner.m_pending.insert(owner.m_pending.end(), block.sources.begin(),
                                       block.sources.end());
                if (block.last) {
                    owner.m_parser->feed(nullptr, 0, true);
                    break;
                }
                owner.check(block.data.constData(), block.size);
                std::lock_guard lock(mutex);
                if (spare.size() < kMaxWaiting) {
                    spare.push_back(std::move(block.data));
                }
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex);
        done = true;
        changed.notify_all();
    }

    /// An array parsed already, or an empty one.
    QByteArray takeSpare() {
        std::lock_guard lock(mutex);
        if (spare.empty()) {
            return QByteArray();
        }
        QByteArray array = std::move(spare.back());
        spare.pop_back();
        return array;
    }

    /// Hands a block over; false when the thread has ended (its failure is for finish()).
    bool push(Block block) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return waiting.size() < kMaxWaiting || done; });
        if (done) {
            return false;
        }
        waiting.push_back(std::move(block));
        changed.notify_all();
        return true;
    }

    void join() {
        if (thread.joinable()) {
            thread.join();
        }
    }

    ~Worker() {
        {
            std::lock_guard lock(mutex);
            abandoned = true;
        }
        changed.notify_all();
        join();
    }
};

DeclarationValidator::DeclarationValidator() {
    // libxml2 wants its global state set up before a thread uses it; the schema itself is
    // compiled on the validator's thread.
    xmlInitParser();
    m_blockSources.reserve(4096);
    m_worker = std::make_unique<Worker>(*this);
}

DeclarationValidator::~DeclarationValidator() {
    // The thread uses the parser: it ends before the parser goes.
    m_worker.reset();
}

void DeclarationValidator::elementStarted(const ElementSource& source) {
    m_blockSources.push_back(source);
}

void DeclarationValidator::dataWritten(const char* data, qsizetype size) {
    QByteArray copy = m_worker->takeSpare();
    copy.resize(size);
    std::memcpy(copy.data(), data, size);
    blockWritten(copy, size);
}

void DeclarationValidator::blockWritten(QByteArray& data, qsizetype size) {
    Worker::Block block{std::move(m_blockSources), std::exchange(data, m_worker->takeSpare()), size,
                        false};
    m_blockSources = {};
    m_blockSources.reserve(block.sources.size());
    // A thread that has ended early has failed; finish() says so.
    m_worker->push(std::move(block));
}

void DeclarationValidator::check(const char* data, qsizetype size) {
    // libxml2 takes chunks of int size; the writer's blocks are far smaller.
    constexpr qsizetype kChunk = 1 << 30;
    while (size > 0) {
        const qsizetype part = std::min(size, kChunk);
        m_parser->feed(data, static_cast<int>(part), false);
        data += part;
        size -= part;
    }
}

void DeclarationValidator::finish() {
    m_worker->push(Worker::Block{std::move(m_blockSources), QByteArray(), 0, true});
    m_blockSources = {};
    m_worker->join();
    if (m_worker->failure) {
        std::rethrow_exception(m_worker->failure);
    }
    if (!m_parser->wellFormed()) {
        throw DeclarationError(
            QStringLiteral("Le fichier Xml produit est mal formé : le contrôle n'a pas pu être "
                           "mené à son terme."));
    }
}

QString DeclarationValidator::schemaVersion() {
    return BuiltInSchema::instance().version;
}

QString DeclarationValidator::schemaName() {
    return QStringLiteral("FDPT.xsd version ") + schemaVersion();
}

QByteArray DeclarationValidator::schemaText() {
    return BuiltInSchema::instance().published;
}
