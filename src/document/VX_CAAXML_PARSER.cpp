// The frame of wzd and tuf files: header, sequences, step elements and the
// closing End Option step, and the dispatch to the per-kind writers and
// readers. The value helpers they share live in value_helpers.cpp.
#include "document/VX_CAAXML_PARSER.h"

#include "document/NameTables.h"

#include <libxml/tree.h>

#include <algorithm>
#include <vector>

namespace stepvane {

namespace {

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

// The elements prefix + "0", prefix + "1" ... up to count - 1 among the
// children of parent, the first of each name (null where there is none), in
// one pass over the children rather than a search each. A number is written
// as QString::number writes it: no sign, no leading zero.
std::vector<xmlNode *> numberedChildren(const xmlNode *parent, std::string_view prefix, int count)
{
    std::vector<xmlNode *> found(size_t(std::max(count, 0)), nullptr);
    for (xmlNode *c = parent ? parent->children : nullptr; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE)
            continue;
        const std::string_view name(reinterpret_cast<const char *>(c->name));
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0'))
            continue;
        size_t number = 0;
        bool whole = true;
        for (const char d : digits) {
            whole = whole && d >= '0' && d <= '9';
            number = number * 10 + size_t(d - '0');
        }
        if (whole && number < found.size() && !found[number])
            found[number] = c;
    }
    return found;
}

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
    m_unitSequence = -1;
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
    m_unitSequence = sequenceIndex;
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
    if (!Unwritable_Text().isEmpty()) {
        Set_Error_Text(Unwritable_Message());
        return false;
    }
    if (!Save_Transformed(path))
        return false;
    // The file now holds the document and nothing else.
    m_doc->FileNotes.clear();
    return true;
}

bool VX_CAAXML_PARSER::Save_Testing_Unit(int sequenceIndex, const QString &path)
{
    Reset_Document();
    if (!Write_Testing_Unit(sequenceIndex))
        return false;
    if (!Unwritable_Text().isEmpty()) {
        Set_Error_Text(Unwritable_Message());
        return false;
    }
    return Save_Transformed(path);
}

// ---------------------------------------------------------------- reading

void VX_CAAXML_PARSER::reportNotAWizard(const QString &reason)
{
    const QString file = Loaded_Path().isEmpty() ? QStringLiteral("the file") : Loaded_Path();
    report(Message::fromId(QStringLiteral("IDS_UNKNOWN_WZD_FILE"))
               .withDetail(QStringLiteral("%1: %2").arg(file, reason)));
}

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
    const auto countText = dValue("<Information><TestingSequence_Count>");
    const std::optional<int> declared = declaredCount(countText, kMaxDeclaredSequences);
    if (!declared) {
        reportNotAWizard(QStringLiteral("its TestingSequence_Count '%1' is not a whole number "
                                        "from 0 to %2")
                             .arg(countText.value_or(QString()))
                             .arg(kMaxDeclaredSequences));
        return 0;
    }
    const int count = *declared;
    if (m_doc->sequenceCount() + count > kMaxSequences)
        return 0;
    m_noteSequence = m_noteStep = -1;
    noteRepeatedElements(Current_Node(), false, QString());
    if (enter("Information"))
        noteRepeatedElements(Current_Node(), true, kInformation + u'/');
    Go_Root();
    const std::vector<xmlNode *> sequences =
        numberedChildren(Current_Node(), "TestingSequence_Num", count);
    for (xmlNode *sequence : sequences) {
        if (!sequence)
            return 0;
        Set_Current_Node(sequence);
        if (!readSequence())
            return 0;
    }
    return 1;
}

int VX_CAAXML_PARSER::readSequence()
{
    auto seq = std::make_unique<TestingSequence>();
    int steps = 0;
    if (!readSequenceHeader(*seq, steps))
        return 0;
    m_noteSequence = m_doc->sequenceCount();
    m_noteStep = -1;
    xmlNode *sequenceElement = Current_Node();
    noteRepeatedElements(sequenceElement, false, QString());
    if (Find_Child(kInformation))
        noteRepeatedElements(Current_Node(), true, kInformation + u'/');
    Set_Current_Node(sequenceElement);
    TestingSequence *added = m_doc->insertSequence(-1, std::move(seq));
    return added && readSequenceSteps(*added, steps);
}

int VX_CAAXML_PARSER::readWizardHeader()
{
    m_doc->SeqEndOption = 2;
    if (Root_Name() != kRoot) {
        reportNotAWizard(
            Root_Name().startsWith(kSequencePrefix)
                ? QStringLiteral("it is a testing unit (its document element is %1)")
                      .arg(Root_Name())
                : QStringLiteral("its document element is %1, not %2").arg(Root_Name(), kRoot));
        return 0;
    }
    Go_Root();
    anchorHere();
    const auto code = lValue("<Information><InstrumentEQP>");
    const int fileModel = code ? int(toLeadingInt(*code)) : kUnknownModel;
    if (!code || fileModel != m_model) {
        report(Message::fromId(QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP"),
                               {modelName(fileModel), modelName(m_model)}));
        return 0;
    }
    const auto title = dValue("<Information><Title>");
    if (!dValue("<Information><Application_Version>") || !dValue("<Information><FW_Version>") ||
        !dValue("<Information><TestingSequence_Count>") || !title)
        return 0;
    m_doc->Title = *title;
    int option = 2;
    if (readDInt("<Information><SeqEndOption>", option))
        m_doc->SeqEndOption = option;
    return 1;
}

int VX_CAAXML_PARSER::readSequenceHeader(TestingSequence &seq, int &stepCount)
{
    anchorHere();
    const auto code = lValue("<Information><InstrumentEQP>");
    if (!code)
        return 0;
    const int fileModel = int(toLeadingInt(*code));
    if (fileModel != m_model) {
        report(Message::fromId(QStringLiteral("IDS_INCORRECT_MEAS_FOR_EQP"),
                               {modelName(fileModel), modelName(m_model)}));
        return 0;
    }
    const auto title = dValue("<Information><Title>");
    const auto count = dValue("<Information><Task_Steps_Count>");
    if (!dValue("<Information><Application_Version>") || !dValue("<Information><FW_Version>") ||
        !count || !title)
        return 0;
    // 100 steps plus the End Option step at most; anything else is not ours.
    const std::optional<int> declared = declaredCount(count, kMaxDeclaredSteps);
    if (!declared) {
        reportNotAWizard(QStringLiteral("the Task_Steps_Count '%1' of %2 is not a whole number "
                                        "from 0 to %3")
                             .arg(*count, Current_Name())
                             .arg(kMaxDeclaredSteps));
        return 0;
    }
    seq.Title = *title;
    stepCount = *declared;
    return 1;
}

int VX_CAAXML_PARSER::readSequenceSteps(TestingSequence &seq, int stepCount)
{
    const std::vector<xmlNode *> steps = numberedChildren(m_anchor, "Task_Step_Num", stepCount);
    for (int n = 0; n < stepCount; ++n) {
        xmlNode *stepElement = steps[size_t(n)];
        if (!stepElement)
            continue;
        Set_Current_Node(stepElement);
        m_noteStep = seq.stepCount();
        TaskStep step;
        const int result = Read_Task(step, n);
        if (result < 0) {
            // No name, End Option, or a name we do not know: no step, so
            // what it repeats is the sequence's to say.
            m_noteStep = -1;
            noteRepeatedElements(stepElement, true, kStepPrefix + QString::number(n) + u'/');
            continue;
        }
        if (result == 0 || !seq.insertStep(-1, std::move(step.record)))
            return 0;
        noteRepeatedElements(stepElement, true, QString());
    }
    m_noteStep = -1;
    return 1;
}

int VX_CAAXML_PARSER::Read_Task(TaskStep &step, int)
{
    xmlNode *stepElement = Current_Node();
    anchorHere();
    const auto name = dValue("Task_Step_Name");
    const TaskKind kind = name ? kindFromStoredName(*name) : TaskUnknown;
    if (!isStorableKind(kind))
        return -1;
    m_noteStepName = taskListName(kind);
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
    return Read_Loaded_Testing_Unit();
}

int VX_CAAXML_PARSER::Read_Loaded_Testing_Unit()
{
    if (!m_doc || !Is_Loaded())
        return 0;
    if (m_doc->sequenceCount() >= kMaxSequences) {
        Reset_Document();
        return 0;
    }
    Go_Root();
    // Read in place at the end of the wizard; nothing of a unit that fails
    // to read stays there.
    const int before = m_doc->sequenceCount();
    const size_t notesBefore = m_doc->FileNotes.size();
    beginRestores();
    const bool ok = readSequence();
    finishRestores();
    if (!ok) {
        while (m_doc->sequenceCount() > before)
            m_doc->removeSequence(m_doc->sequenceCount() - 1);
        m_doc->FileNotes.resize(notesBefore);
        Reset_Document();
        return 0;
    }
    return 1;
}

int VX_CAAXML_PARSER::Loaded_File_Model()
{
    if (!Is_Loaded() || !Go_Root() || !Find_Child(kInformation))
        return kUnknownModel;
    anchorHere();
    const auto code = lValue("InstrumentEQP");
    Go_Root();
    return code ? int(toLeadingInt(*code)) : kUnknownModel;
}

QString VX_CAAXML_PARSER::Read_Password()
{
    if (!Go_Root())
        return QString();
    anchorHere();
    return dValue("<Information><PW>").value_or(QString());
}

} // namespace stepvane
