// The wizard-file reader and writer (wzd and tuf) on top of the XML cursor.
// The frame (header, sequences, steps, End Option) lives in
// VX_CAAXML_PARSER.cpp, the value helpers in value_helpers.cpp, attached
// files in attached_files.cpp, the notes on what a file holds beyond the
// document (damaged attachments, repeated elements) in file_notes.cpp; the
// elements of each task kind live in procedure_tasks.cpp, setting_tasks.cpp
// and analysis_tasks.cpp.
#pragma once

#include "common/MessageSink.h"
#include "document/VXXML_PARSER.h"
#include "document/WizardDocument.h"

#include <memory>
#include <optional>
#include <string_view>

namespace stepvane {

class VX_CAAXML_PARSER : public VXXML_PARSER {
public:
    // The document may be null for parsers that only read setup files or
    // models. A parser with a document reads wizards: its loads keep to the
    // wizard format's shape limits (XmlShapeLimits::wizard), as the wizard
    // reading operations always do; one without keeps the general limits.
    VX_CAAXML_PARSER(WizardDocument *document, int modelIndex, MessageSink *sink = nullptr);
    ~VX_CAAXML_PARSER() override;

    void Set_Document(WizardDocument *document);
    WizardDocument *Document() const { return m_doc; }
    void Set_Model(int modelIndex) { m_model = modelIndex; }
    int Model() const { return m_model; }
    void Set_Sink(MessageSink *sink) { m_sink = sink ? sink : &nullSink(); }

    // Writing. A save is Reset_Document, Write_Wizard_Header, Write_All_Sequences,
    // Save_Transformed; Save_Wizard does all four.
    int Write_Wizard_Header(const QString &fileName);
    int Write_All_Sequences();
    int Write_Sequence(int sequenceIndex);
    int Write_Testing_Unit(int sequenceIndex);
    bool Save_Wizard(const QString &path);
    bool Save_Testing_Unit(int sequenceIndex, const QString &path);
    // Where the text that stops the written tree from being saved lies, for
    // the user: "Sequence 1, step 3 (Prompt), ImageNum_2/Comment: the
    // character U+0001 cannot be kept in a wizard file". Empty when every
    // text could be written. Defined in unwritable_text.cpp.
    QString Unwritable_Message() const;

    // Reading.
    int Read_Wizard_File(const QString &path);
    // Read_Wizard_File on the document Load_Document has loaded already (the
    // password was read from it first): the file is parsed once.
    int Read_Loaded_Wizard();
    int Read_Testing_Unit_File(const QString &path);
    // Read_Testing_Unit_File on the document Load_Document has loaded already.
    int Read_Loaded_Testing_Unit();
    QString Read_Password();
    // The model the loaded document was made for, as Read_File_Model reads
    // it from the file; kUnknownModel when it names none.
    int Loaded_File_Model();
    // The model a file was made for, from its header alone (the rest of the
    // file is not read); kUnknownModel when the header cannot be read or
    // names none. Defined in ReadFileModel.cpp.
    int Read_File_Model(const QString &path);

    // Attached files of the last read that could not be written to their
    // working copies ("PATH: reason"); their records name no path.
    const QStringList &Restore_Failures() const { return m_restoreFailures; }

    // Setup-file services for load steps (the setup file is loaded with Load_Document).
    QString Make_Setup_Info(const QString &fileName);
    void Strip_Calibration();

    // One writer and one reader per storable kind; the cursor is on the
    // sequence element before a writer runs and inside the step element after.
    int Write_Task(const TaskStep &step, int stepNumber);
    int Read_Task(TaskStep &step, int stepNumber);

protected:
    // --- value helpers shared by the task writers (cursor on the parent element;
    // each helper adds one element and returns the cursor to the parent) ---
    void addD(const QString &name, const QString &dvalue);
    void addDL(const QString &name, const QString &dvalue, int lvalue);
    // Writes only LValue when the text is null (a code with no table entry).
    void addOptDL(const QString &name, const QString &dvalueOrNull, int lvalue);
    void addL(const QString &name, int lvalue);
    // A "Check" child: "True"/"1" when on, else "False"/"0"; onCode overrides the 1.
    void addCheck(bool on, int onCode = 1);
    // Adds an element and leaves the cursor on it (for groups such as "Trace").
    void openElement(const QString &name);
    void closeElement() { Go_Parent(); }

    // Number formats of the file.
    static QString fmtInt(long long v);
    static QString fmtReal2(double v);
    static QString fmtReal4(double v);
    static QString onOff(int flag);

    // --- value helpers shared by the readers: paths ("Name" or
    // "<Group><Name>", as Find_Path takes them) are looked up from the
    // element the reader is anchored at (the step element, or a group),
    // without moving the cursor. A missing element or attribute gives
    // nullopt. ---
    void anchorHere() { m_anchor = Current_Node(); }
    std::optional<QString> value(std::string_view path, std::string_view attribute);
    std::optional<QString> dValue(std::string_view path) { return value(path, "DValue"); }
    std::optional<QString> lValue(std::string_view path) { return value(path, "LValue"); }
    // Convenience readers: assign when present, keep the current value otherwise.
    bool readL(std::string_view path, int &out);
    bool readDInt(std::string_view path, int &out);
    bool readDSize(std::string_view path, quint32 &out);
    bool readDReal(std::string_view path, double &out);
    bool readDText(std::string_view path, QString &out, int maxLength = -1);
    // The attribute at path below the anchor (path empty: of the anchor).
    const xmlAttr *attributeAt(std::string_view path, std::string_view attribute) const;
    // Moves the cursor to the element at path below the anchor; false if absent.
    bool enter(std::string_view path);
    void returnToAnchor() { Set_Current_Node(m_anchor); }
    // Runs read anchored at the element at path below the anchor, then
    // anchors back; false (and nothing read) when there is no such element.
    template <typename F> bool readWithin(std::string_view path, F &&read)
    {
        xmlNode *group = Element_At(m_anchor, path);
        if (!group)
            return false;
        xmlNode *const saved = m_anchor;
        m_anchor = group;
        read();
        m_anchor = saved;
        return true;
    }
    // A numbered element name ("ImageNum_3", "Num2") without the heap.
    class NumberedName {
    public:
        NumberedName(std::string_view prefix, int number);
        operator std::string_view() const { return {m_text, m_size}; }

    private:
        char m_text[64];
        size_t m_size = 0;
    };

    // A sequence or step count: a whole number 0..max, else nullopt.
    static std::optional<int> declaredCount(const std::optional<QString> &text, int max);
    // Leading-number conversions of stored text: "12abc" is 12, "abc" is 0.
    static long long toLeadingInt(const QString &text);
    static double toLeadingReal(const QString &text);
    // The same on an attribute's UTF-8 text (null reads as empty).
    static long long leadingInt(const char *text);
    static double leadingReal(const char *text);

    // --- attached files ---
    // Picture slot (Prompt, condition pictures) or logo under the current
    // element: names, size, and when the size is above 0 width, height and data.
    void writeImage(const AttachedImage &image, bool withComment, bool sizeWithLValue,
                    const QString &saveFailFormat);
    void readImage(AttachedImage &image, bool withComment, const QString &loadFailFormat);
    // Writes ImageData from the file; reports failFormat with argument on failure.
    void writeFileData(const QString &path, const QString &failFormat, const QString &argument);
    // A fresh working-copy path for a stored name (see WorkingCopies) and the
    // restore of ImageData there (failure reported with the argument).
    // keepName: the file must keep its stored name (setup files, whose name
    // the writer takes from the path); pictures and masks keep theirs in the record.
    QString workingPathFor(const QString &storedName, bool keepName = true);
    // An attachment slot as the notes name it, with the kind's message
    // ("Prompt task item-Failed to Load (%s)" with the stored name).
    enum class SlotKind { Picture, Mask, Setup };
    struct Slot {
        SlotKind kind;
        QString element; // "ImageNum_3", "Logo", "MSL", "SetupfileName"
        QString name;    // the stored file name
        Message failure;
    };
    // Restores the ImageData child of the cursor to path and returns the
    // number of bytes it holds, or -1 when there is none or it is damaged
    // (reported with the slot and why, and noted) or it cannot be written
    // (reported); path is then cleared. Data without the base64 type gives
    // an empty file, as it always has, and 0. While a file is read the bytes
    // are written later by a worker; a failed write is reported then.
    qint64 restoreFileData(QString &path, const Slot &slot);
    // Whether dataParent has a data element that holds something. While the
    // size field (sizeText, or none) declares no file, that data is passed
    // over, and noted.
    static bool holdsData(const xmlNode *dataParent);
    void noteUnsizedData(const std::optional<QString> &sizeText, const Slot &slot);
    void noteDamaged(const Slot &slot, const QString &reason);
    // A picture whose size field says stated bytes beside data of actual.
    void noteStatedSize(const Slot &slot, quint32 stated, quint32 actual);
    // Notes every second copy of an element among the children of element
    // (and, when deep, further down); prefix leads the path of each.
    void noteRepeatedElements(const xmlNode *element, bool deep, const QString &prefix);
    // The same below element, which lies under top (or is it); paths start
    // at top.
    void noteRepeatsBelow(const xmlNode *top, const xmlNode *element, bool deep,
                          const QString &prefix);
    // Keeps the note and reports the message with the place and text below it.
    void addNote(FileNote note, const Message &message, const QString &text);
    // A record's size field from restoreFileData's result (0: no file).
    static quint32 restoredSize(qint64 restored);

    void report(const Message &message) { m_sink->report(message); }

    // The element value lookups start from; readers may move it to a group
    // element and back.
    xmlNode *m_anchor = nullptr;

private:
    // Per-kind writers and readers (defined in the task files).
    void writePrompt(const PromptTask &r);
    void writeSave(const SaveTask &r);
    void writeReport(const ReportTask &r);
    void writeLoad(const LoadTask &r);
    void writeDescriptionOnly(const QString &description);
    void writeMeasureMode(const MeasureModeTask &r);
    void writeFrequencyDistance(const FrequencyDistanceTask &r);
    void writeAmplitude(const AmplitudeTask &r);
    void writeGeneral(const GeneralTask &r);
    void writeDataPoint(const DataPointTask &r);
    void writeWindowing(const WindowingTask &r);
    void writeDtf(const DtfTask &r);
    void writeRfPower(const RfPowerTask &r);
    void writeOpticalPower(const OpticalPowerTask &r);
    void writeFiber(const FiberTask &r);
    void writeBiasTee(const BiasTeeTask &r);
    void writeMarkerPeak(const MarkerPeakTask &r);
    void writeLimit(const LimitTask &r);
    void writeZoomZones(const ZoomZonesTask &r);

    // Readers return false when a required element is missing (fails the file).
    bool readPrompt(PromptTask &r);
    bool readSave(SaveTask &r);
    bool readReport(ReportTask &r);
    bool readLoad(LoadTask &r);
    bool readDescriptionOnly(QString &description);
    bool readMeasureMode(MeasureModeTask &r);
    bool readFrequencyDistance(FrequencyDistanceTask &r);
    bool readAmplitude(AmplitudeTask &r);
    bool readGeneral(GeneralTask &r);
    bool readDataPoint(DataPointTask &r);
    bool readWindowing(WindowingTask &r);
    bool readDtf(DtfTask &r);
    bool readRfPower(RfPowerTask &r);
    bool readOpticalPower(OpticalPowerTask &r);
    bool readFiber(FiberTask &r);
    bool readBiasTee(BiasTeeTask &r);
    bool readMarkerPeak(MarkerPeakTask &r);
    bool readLimit(LimitTask &r);
    bool readZoomZones(ZoomZonesTask &r);

    // Save and Report share their company, logo and job groups.
    template <typename R> void writeCompanyAndJob(const R &r, const QString &saveFail);
    template <typename R> void readCompanyAndJob(R &r, const QString &loadFail);

    // Marker_Peak and Limit carry their fail pictures the same way.
    void writeConditionImages(const std::vector<AttachedImage> &images, bool sizeWithLValue,
                              const QString &saveFail);
    void readConditionImages(std::vector<AttachedImage> &images, const QString &loadFail);

    // Frame helpers.
    void writeVersions();
    void writeSequenceElement(const TestingSequence &seq, int number);
    void writeEndOption(int stepNumber);
    int readWizardBody();
    int readWizardHeader();
    // "This is not a Stepvane wizard file." with the file and the reason.
    void reportNotAWizard(const QString &reason);
    void beginRestores();
    void finishRestores();
    // The sequence element under the cursor: header, then steps, appended to
    // the document.
    int readSequence();
    int readSequenceHeader(TestingSequence &seq, int &stepCount);
    int readSequenceSteps(TestingSequence &seq, int stepCount);

    WizardDocument *m_doc = nullptr;
    int m_model = 0;
    // The document position of the sequence a testing unit is written from
    // (its element is always numbered 0); -1 while a wizard is written.
    int m_unitSequence = -1;
    MessageSink *m_sink = nullptr;
    // Where the reader is, for the notes: document positions of the sequence
    // and step being read (-1 outside one) and the step's list name.
    int m_noteSequence = -1;
    int m_noteStep = -1;
    QString m_noteStepName;
    int m_notesReported = 0;
    QStringList m_restoreFailures;
    void finishRestoreFailures(const QStringList &failedPaths);
    struct PendingRestores;
    std::unique_ptr<PendingRestores> m_restores;
    // Scratch of noteRepeatsBelow: the names each level has seen (libxml2's
    // xmlChar is unsigned char).
    std::vector<const unsigned char *> m_seenNames;
};

// Readers accept at most this many steps a sequence element declares (100 steps
// plus the End Option step) and this many sequences a wizard declares.
constexpr int kMaxDeclaredSteps = kMaxSteps + 1;
constexpr int kMaxDeclaredSequences = kMaxSequences;

} // namespace stepvane
