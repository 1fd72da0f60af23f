// The frame of wzd and tuf files: header, sequences, step elements and the
// closing End Option step, the dispatch to the per-kind writers and readers,
// and the value helpers they share.
#include "document/VX_CAAXML_PARSER.h"

#include "common/NumberText.h"
#include "document/NameTables.h"

#include <charconv>
#include <climits>

namespace stepvane {

namespace {

const QString kDValue = QStringLiteral("DValue");
const QString kLValue = QStringLiteral("LValue");
const QString kRoot = QStringLiteral("STEPVANE");
const QString kInformation = QStringLiteral("Information");
const QString kSequencePrefix = QStringLiteral("TestingSequence_Num");
const QString kStepPrefix = QStringLiteral("Task_Step_Num");

// Loads within the wizard format's shape limits for as long as it lives.
class WizardShape {
public:
    explicit WizardShape(VXXML_PARSER &parser) : m_parser(parser), m_old(parser.Shape_Limits())
    {
        parser.Set_Shape_Limits(XmlShapeLimits::wizard());
    }
    ~WizardShape() { m_parser.Set_Shape_Limits(m_old); }
    WizardShape(const WizardShape &) = delete;
    WizardShape &operator=(const WizardShape &) = delete;

private:
    VXXML_PARSER &m_parser;
    XmlShapeLimits m_old;
};

// "File_Name" holds the saved file's name: the part after the last separator.
QString lastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

} // namespace

// ---------------------------------------------------------------- writing

void VX_CAAXML_PARSER::writeVersions()
{
    addDL(QStringLiteral("InstrumentEQP"), modelName(m_model), m_model);
    addD(QStringLiteral("Application_Version"), kApplicationVersion);
    addD(QStringLiteral("FW_Version"), kFirmwareVersion);
}

int VX_CAAXML_PARSER::Write_Wizard_Header(const QString &fileName)
{
    if (!m_doc)
        return 0;
    Begin_Root();
    openElement(kInformation);
    writeVersions();
    addD(QStringLiteral("TestingSequence_Count"), fmtInt(m_doc->sequenceCount()));
    addD(QStringLiteral("Title"), m_doc->Title);
    addD(QStringLiteral("File_Name"), lastComponent(fileName));
    if (m_doc->PasswordSet)
        addD(QStringLiteral("PW"), m_doc->PW);
    addD(QStringLiteral("SeqEndOption"), fmtInt(m_doc->SeqEndOption));
    closeElement();
    return 1;
}

int VX_CAAXML_PARSER::Write_All_Sequences()
{
    if (!m_doc)
        return 1;
    for (int i = 0; i < m_doc->sequenceCount(); ++i) {
        Go_Root();
        Write_Sequence(i);
    }
    return 1;
}

int VX_CAAXML_PARSER::Write_Sequence(int sequenceIndex)
{
    const TestingSequence *seq = m_doc ? m_doc->sequence(sequenceIndex) : nullptr;
    if (!seq)
        return 0;
    writeSequenceElement(*seq, sequenceIndex);
    return 1;
}

int VX_CAAXML_PARSER::Write_Testing_Unit(int sequenceIndex)
{
    const TestingSequence *seq = m_doc ? m_doc->sequence(sequenceIndex) : nullptr;
    if (!seq)
        return 0;
    // With no root yet, the sequence element becomes the document element.
    writeSequenceElement(*seq, 0);
    return 1;
}

void VX_CAAXML_PARSER::writeSequenceElement(const TestingSequence &seq, int number)
{
    Add_Element(kSequencePrefix + QString::number(number));
    xmlNode *sequenceElement = Current_Node();
    openElement(kInformation);
    writeVersions();
    addD(QStringLiteral("Task_Steps_Count"), fmtInt(seq.stepCount() + 1));
    addD(QStringLiteral("Title"), seq.Title);
    addD(QStringLiteral("File_Name"), QString());
    closeElement();
    for (int j = 0; j < seq.stepCount(); ++j) {
        Set_Current_Node(sequenceElement);
        Write_Task(*seq.step(j), j);
    }
    Set_Current_Node(sequenceElement);
    writeEndOption(seq.stepCount());
    Set_Current_Node(sequenceElement);
}

void VX_CAAXML_PARSER::writeEndOption(int stepNumber)
{
    Add_Element(kStepPrefix + QString::number(stepNumber));
    addD(QStringLiteral("Task_Step_Name"), QStringLiteral("End Option"));
    const int option = m_doc ? m_doc->SeqEndOption : 2;
    const QString text = option == 1   ? QStringLiteral("Automation")
                         : option == 2 ? QStringLiteral("Manual")
                                       : QString();
    addOptDL(QStringLiteral("Mode"), text, option);
}

int VX_CAAXML_PARSER::Write_Task(const TaskStep &step, int stepNumber)
{
    Add_Element(kStepPrefix + QString::number(stepNumber));
    addD(QStringLiteral("Task_Step_Name"), taskStoredName(step.kind()));
    std::visit(
        [this](const auto &r) {
            using T = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<T, PromptTask>)
                writePrompt(r);
            else if constexpr (std::is_same_v<T, SaveTask>)
                writeSave(r);
            else if constexpr (std::is_same_v<T, ReportTask>)
                writeReport(r);
            else if constexpr (std::is_same_v<T, LoadTask>)
                writeLoad(r);
            else if constexpr (std::is_same_v<T, CalibrationTask> || std::is_same_v<T, HoldTask> ||
                               std::is_same_v<T, AutoScaleTask>)
                writeDescriptionOnly(r.Description);
            else if constexpr (std::is_same_v<T, MeasureModeTask>)
                writeMeasureMode(r);
            else if constexpr (std::is_same_v<T, FrequencyDistanceTask>)
                writeFrequencyDistance(r);
            else if constexpr (std::is_same_v<T, AmplitudeTask>)
                writeAmplitude(r);
            else if constexpr (std::is_same_v<T, GeneralTask>)
                writeGeneral(r);
            else if constexpr (std::is_same_v<T, DataPointTask>)
                writeDataPoint(r);
            else if constexpr (std::is_same_v<T, WindowingTask>)
                writeWindowing(r);
            else if constexpr (std::is_same_v<T, DtfTask>)
                writeDtf(r);
            else if constexpr (std::is_same_v<T, RfPowerTask>)
                writeRfPower(r);
            else if constexpr (std::is_same_v<T, OpticalPowerTask>)
                writeOpticalPower(r);
            else if constexpr (std::is_same_v<T, FiberTask>)
                writeFiber(r);
            else if constexpr (std::is_same_v<T, BiasTeeTask>)
                writeBiasTee(r);
            else if constexpr (std::is_same_v<T, MarkerPeakTask>)
                writeMarkerPeak(r);
            else if constexpr (std::is_same_v<T, LimitTask>)
                writeLimit(r);
            else if constexpr (std::is_same_v<T, ZoomZonesTask>)
                writeZoomZones(r);
            else
                static_assert(sizeof(T) == 0, "every record kind needs a writer");
        },
        step.record);
    return 1;
}

bool VX_CAAXML_PARSER::Save_Wizard(const QString &path)
{
    Reset_Document();
    if (!Write_Wizard_Header(lastComponent(path)))
        return false;
    Write_All_Sequences();
    return Save_Transformed(path);
}

bool VX_CAAXML_PARSER::Save_Testing_Unit(int sequenceIndex, const QString &path)
{
    Reset_Document();
    if (!Write_Testing_Unit(sequenceIndex))
        return false;
    return Save_Transformed(path);
}

// ---------------------------------------------------------------- reading

void VX_CAAXML_PARSER::Set_Document(WizardDocument *document)
{
    m_doc = document;
    Set_Shape_Limits(document ? XmlShapeLimits::wizard() : XmlShapeLimits::general());
}

int VX_CAAXML_PARSER::Read_Wizard_File(const QString &path)
{
    Reset_Document();
    const WizardShape shape(*this);
    if (!m_doc || !Load_Document(path))
        return 0;
    return Read_Loaded_Wizard();
}

int VX_CAAXML_PARSER::Read_Loaded_Wizard()
{
    if (!m_doc || !Is_Loaded())
        return 0;
    beginRestores();
    const int result = readWizardBody();
    finishRestores();
    if (!result)
        Reset_Document();
    return result;
}

int VX_CAAXML_PARSER::readWizardBody()
{
    if (!readWizardHeader())
        return 0;
    Go_Root();
    anchorHere();
    // A count that is not a whole number the format allows is a damaged
    // file, not an empty wizard; one the document cannot hold fails at once
    // rather than after reading.
    const std::optional<int> declared = declaredCount(
        dValue(QStringLiteral("<Information><TestingSequence_Count>")), kMaxDeclaredSequences);
    if (!declared) {
        report(Message::fromId(QStringLiteral("IDS_UNKNOWN_WZD_FILE")));
        return 0;
    }
    const int count = *declared;
    if (m_doc->sequenceCount() + count > kMaxSequences)
        return 0;
    for (int i = 0; i < count; ++i) {
        Go_Root();
        if (!Find_Child(kSequencePrefix + QString::number(i)))
            return 0;
        auto seq = std::make_unique<TestingSequence>();
        int steps = 0;
        if (!readSequenceHeader(*seq, steps))
            return 0;
        TestingSequence *added = m_doc->insertSequence(-1, std::move(seq));
        if (!added || !readSequenceSteps(*added, steps))
            return 0;
    }
    return 1;
}

int VX_CAAXML_PARSER::readWizardHeader()
{
    m_doc->SeqEndOption = 2;
    if (Root_Name() != kRoot) {
        report(Message::fromId(QStringLiteral("IDS_UNKNOWN_WZD_FILE")));
        return 0;
    }
    Go_Root();
    anchorHere();
    const auto code = lValue(QStringLiteral("<Information><InstrumentEQP>"));
    const int fileModel = code ? int(toLeadingInt(*code)) : kUnknownModel;
    if (!code || fileModel != m_model) {
        report(Message::fromId(QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP"),
                               {modelName(fileModel), modelName(m_model)}));
        return 0;
    }
    const auto title = dValue(QStringLiteral("<Information><Title>"));
    if (!dValue(QStringLiteral("<Information><Application_Version>")) ||
        !dValue(QStringLiteral("<Information><FW_Version>")) ||
        !dValue(QStringLiteral("<Information><TestingSequence_Count>")) || !title)
        return 0;
    m_doc->Title = *title;
    int option = 2;
    if (readDInt(QStringLiteral("<Information><SeqEndOption>"), option))
        m_doc->SeqEndOption = option;
    return 1;
}

int VX_CAAXML_PARSER::readSequenceHeader(TestingSequence &seq, int &stepCount)
{
    anchorHere();
    const auto code = lValue(QStringLiteral("<Information><InstrumentEQP>"));
    if (!code)
        return 0;
    const int fileModel = int(toLeadingInt(*code));
    if (fileModel != m_model) {
        report(Message::fromId(QStringLiteral("IDS_INCORRECT_MEAS_FOR_EQP"),
                               {modelName(fileModel), modelName(m_model)}));
        return 0;
    }
    const auto title = dValue(QStringLiteral("<Information><Title>"));
    const auto count = dValue(QStringLiteral("<Information><Task_Steps_Count>"));
    if (!dValue(QStringLiteral("<Information><Application_Version>")) ||
        !dValue(QStringLiteral("<Information><FW_Version>")) || !count || !title)
        return 0;
    // 100 steps plus the End Option step at most; anything else is not ours.
    const std::optional<int> declared = declaredCount(count, kMaxDeclaredSteps);
    if (!declared) {
        report(Message::fromId(QStringLiteral("IDS_UNKNOWN_WZD_FILE")));
        return 0;
    }
    seq.Title = *title;
    stepCount = *declared;
    return 1;
}

int VX_CAAXML_PARSER::readSequenceSteps(TestingSequence &seq, int stepCount)
{
    xmlNode *sequenceElement = m_anchor;
    for (int n = 0; n < stepCount; ++n) {
        Set_Current_Node(sequenceElement);
        if (!Find_Child(kStepPrefix + QString::number(n)))
            continue;
        TaskStep step;
        const int result = Read_Task(step, n);
        if (result < 0)
            continue; // no name, End Option, or a name we do not know
        if (result == 0 || !seq.insertStep(-1, std::move(step.record)))
            return 0;
    }
    return 1;
}

int VX_CAAXML_PARSER::Read_Task(TaskStep &step, int)
{
    xmlNode *stepElement = Current_Node();
    anchorHere();
    const auto name = dValue(QStringLiteral("Task_Step_Name"));
    const TaskKind kind = name ? kindFromStoredName(*name) : TaskUnknown;
    if (!isStorableKind(kind))
        return -1;
    auto readInto = [&](auto record, auto reader) {
        Set_Current_Node(stepElement);
        anchorHere();
        if (!(this->*reader)(record))
            return 0;
        step.record = std::move(record);
        return 1;
    };
    switch (kind) {
    case TaskPrompt:
        return readInto(PromptTask{}, &VX_CAAXML_PARSER::readPrompt);
    case TaskSave:
        return readInto(SaveTask{}, &VX_CAAXML_PARSER::readSave);
    case TaskReport:
        return readInto(ReportTask{}, &VX_CAAXML_PARSER::readReport);
    case TaskLoad:
        return readInto(LoadTask{}, &VX_CAAXML_PARSER::readLoad);
    case TaskCalibration:
    case TaskHold:
    case TaskAutoScale: {
        QString description;
        Set_Current_Node(stepElement);
        anchorHere();
        if (!readDescriptionOnly(description))
            return 0;
        step.record = makeDefaultRecord(kind, m_model, kDistanceMeter);
        std::visit(
            [&](auto &r) {
                if constexpr (requires { r.Description; })
                    r.Description = description;
            },
            step.record);
        return 1;
    }
    case TaskMeasureMode:
        return readInto(MeasureModeTask{}, &VX_CAAXML_PARSER::readMeasureMode);
    case TaskFrequencyDistance:
        return readInto(FrequencyDistanceTask{}, &VX_CAAXML_PARSER::readFrequencyDistance);
    case TaskAmplitude:
        return readInto(AmplitudeTask{}, &VX_CAAXML_PARSER::readAmplitude);
    case TaskGeneral:
        return readInto(GeneralTask{}, &VX_CAAXML_PARSER::readGeneral);
    case TaskDataPoint:
        return readInto(DataPointTask{}, &VX_CAAXML_PARSER::readDataPoint);
    case TaskWindowing:
        return readInto(WindowingTask{}, &VX_CAAXML_PARSER::readWindowing);
    case TaskDtf:
        return readInto(DtfTask{}, &VX_CAAXML_PARSER::readDtf);
    case TaskRfPower:
        return readInto(RfPowerTask{}, &VX_CAAXML_PARSER::readRfPower);
    case TaskOpticalPower:
        return readInto(OpticalPowerTask{}, &VX_CAAXML_PARSER::readOpticalPower);
    case TaskFiber:
        return readInto(FiberTask{}, &VX_CAAXML_PARSER::readFiber);
    case TaskBiasTee:
        return readInto(BiasTeeTask{}, &VX_CAAXML_PARSER::readBiasTee);
    case TaskMarkerPeak:
        return readInto(MarkerPeakTask{}, &VX_CAAXML_PARSER::readMarkerPeak);
    case TaskLimit:
        return readInto(LimitTask{}, &VX_CAAXML_PARSER::readLimit);
    case TaskZoomZones:
        return readInto(ZoomZonesTask{}, &VX_CAAXML_PARSER::readZoomZones);
    default:
        return -1;
    }
}

int VX_CAAXML_PARSER::Read_Testing_Unit_File(const QString &path)
{
    Reset_Document();
    const WizardShape shape(*this);
    if (!m_doc || !Load_Document(path))
        return 0;
    if (m_doc->sequenceCount() >= kMaxSequences) {
        Reset_Document();
        return 0;
    }
    Go_Root();
    auto seq = std::make_unique<TestingSequence>();
    int steps = 0;
    beginRestores();
    const bool ok = readSequenceHeader(*seq, steps) && readSequenceSteps(*seq, steps);
    finishRestores();
    if (!ok) {
        // Nothing of a unit that fails to read reaches the open wizard.
        Reset_Document();
        return 0;
    }
    m_doc->insertSequence(-1, std::move(seq));
    return 1;
}

QString VX_CAAXML_PARSER::Read_Password()
{
    if (!Go_Root())
        return QString();
    anchorHere();
    return dValue(QStringLiteral("<Information><PW>")).value_or(QString());
}

// ---------------------------------------------------------------- value helpers

void VX_CAAXML_PARSER::addD(const QString &name, const QString &dvalue)
{
    Add_Element(name);
    Set_Attribute(kDValue, dvalue);
    Go_Parent();
}

void VX_CAAXML_PARSER::addDL(const QString &name, const QString &dvalue, int lvalue)
{
    Add_Element(name);
    Set_Attribute(kDValue, dvalue);
    Set_Attribute(kLValue, fmtInt(lvalue));
    Go_Parent();
}

void VX_CAAXML_PARSER::addOptDL(const QString &name, const QString &dvalueOrNull, int lvalue)
{
    if (dvalueOrNull.isNull())
        addL(name, lvalue);
    else
        addDL(name, dvalueOrNull, lvalue);
}

void VX_CAAXML_PARSER::addL(const QString &name, int lvalue)
{
    Add_Element(name);
    Set_Attribute(kLValue, fmtInt(lvalue));
    Go_Parent();
}

void VX_CAAXML_PARSER::addCheck(bool on, int onCode)
{
    addDL(QStringLiteral("Check"), on ? QStringLiteral("True") : QStringLiteral("False"),
          on ? onCode : 0);
}

void VX_CAAXML_PARSER::openElement(const QString &name)
{
    Add_Element(name);
}

QString VX_CAAXML_PARSER::fmtInt(long long v)
{
    return QString::number(v);
}

QString VX_CAAXML_PARSER::fmtReal2(double v)
{
    return formatDecimal(v, 2);
}

QString VX_CAAXML_PARSER::fmtReal4(double v)
{
    return formatDecimal(v, 4);
}

QString VX_CAAXML_PARSER::onOff(int flag)
{
    return flag ? QStringLiteral("On") : QStringLiteral("Off");
}

std::optional<QString> VX_CAAXML_PARSER::value(const QString &path, const QString &attribute)
{
    xmlNode *saved = Current_Node();
    Set_Current_Node(m_anchor);
    std::optional<QString> out;
    if ((path.isEmpty() || Find_Path(path)) && Find_Attribute(attribute))
        out = Get_Attribute_Value();
    Set_Current_Node(saved);
    return out;
}

bool VX_CAAXML_PARSER::readL(const QString &path, int &out)
{
    const auto v = lValue(path);
    if (v)
        out = int(toLeadingInt(*v));
    return bool(v);
}

bool VX_CAAXML_PARSER::readDInt(const QString &path, int &out)
{
    const auto v = dValue(path);
    if (v)
        out = int(toLeadingInt(*v));
    return bool(v);
}

bool VX_CAAXML_PARSER::readDSize(const QString &path, quint32 &out)
{
    // Only whether a file is declared counts (the restored bytes give the
    // size): a size that is not above 0 declares none.
    const auto v = dValue(path);
    if (v) {
        const long long declared = toLeadingInt(*v);
        out = declared > 0 ? quint32(declared) : 0;
    }
    return bool(v);
}

bool VX_CAAXML_PARSER::readDReal(const QString &path, double &out)
{
    const auto v = dValue(path);
    if (v)
        out = toLeadingReal(*v);
    return bool(v);
}

bool VX_CAAXML_PARSER::readDText(const QString &path, QString &out, int maxLength)
{
    const auto v = dValue(path);
    if (v)
        out = maxLength >= 0 ? v->left(maxLength) : *v;
    return bool(v);
}

bool VX_CAAXML_PARSER::enter(const QString &path)
{
    Set_Current_Node(m_anchor);
    if (Find_Path(path))
        return true;
    Set_Current_Node(m_anchor);
    return false;
}

std::optional<int> VX_CAAXML_PARSER::declaredCount(const std::optional<QString> &text, int max)
{
    if (!text)
        return std::nullopt;
    // Decimal digits only, as the writer writes them; blanks around are
    // forgiven. No sign, no hexadecimal, nothing after the digits.
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

long long VX_CAAXML_PARSER::toLeadingInt(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    long long v = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        v = v * 10 + (text.at(i).unicode() - u'0');
        if (v > INT_MAX) { // saturate like the C conversions do
            v = negative ? -(long long)INT_MAX - 1 : INT_MAX;
            return v;
        }
    }
    return negative ? -v : v;
}

double VX_CAAXML_PARSER::toLeadingReal(const QString &text)
{
    QByteArray latin = text.trimmed().toLatin1();
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    if (begin != end && *begin == '+')
        ++begin;
    double v = 0;
    const auto result = std::from_chars(begin, end, v);
    return result.ec == std::errc() ? v : 0.0;
}

} // namespace stepvane
