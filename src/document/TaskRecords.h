// Parameter records of every task kind. Field names follow the elements of the
// wzd file that store them; a second value held by one element joins the names
// with an underscore (Start_Frequency_Check).
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace stepvane {

using Flag = int;     // 0 = off, anything else = on
using Size = quint32; // byte counts

// Fixed-size text fields of the instrument hold at most this many characters.
constexpr int kFixedText512 = 511;

struct AttachedImage {
    QString Comment;
    QString ImageName;      // the picture's name as the user chose it
    QString TransImageName; // full path of the working copy the writer embeds
    Size Image_filesize = 0;
    int ImageWidth = 0;
    int ImageHeight = 0;
    bool operator==(const AttachedImage &) const = default;
    bool isEmpty() const { return Image_filesize == 0; }
};

constexpr int kPromptImageSlots = 10;
// The Mode of the steps that run automatically or wait for the operator.
constexpr int kAutomationMode = 1;
constexpr int kManualMode = 2;
constexpr int kMaxConditionImages = 10;

struct PromptTask {
    Flag Manual_operation = 0;
    QString Description;
    std::vector<AttachedImage> images = std::vector<AttachedImage>(kPromptImageSlots);
    Flag Move_forward_Mode = 0;
    int DelayTime = 5;
    bool operator==(const PromptTask &) const = default;
};

struct SaveTask {
    int SaveMode = 1;
    int Storage = 1;
    int Trace_Check = 1;
    int Report_Check = 0;
    int Screen_Check = 0;
    int Trace_Format = 1;
    int Report_Format = 5;
    int ColorInversion = 8;
    int MarkerReadings = 10;
    QString BaseFileName;
    QString BaseFolderName;
    QString Description;
    Flag Result_Prev = 0;
    QString Company_Name;
    QString Address_Name;
    AttachedImage logo; // Comment unused
    Flag Company_Check = 0;
    Flag Address_Check = 0;
    QString Engineer_Name, TestPurpose_Name, Site_Information_Name, Result_Name, Remark_Name;
    Flag Engineer_Check = 0, TestPurpose_Check = 0, Site_Information_Check = 0, Result_Check = 0,
         Remark_Check = 0;
    QString Technology, WorkFolder, WorkOrderID, Site_ID, Sector, Test_Type, Termination;
    bool operator==(const SaveTask &) const = default;
};

struct ReportTask {
    int SaveMode = 1;
    QString Description;
    QString BaseFolderName;
    QString BaseFileName;
    int Filetype = 5;
    QString Company_Name;
    QString Address_Name;
    AttachedImage logo;
    Flag Company_Check = 0;
    Flag Address_Check = 0;
    QString Engineer_Name, TestPurpose_Name, Site_Information_Name, Result_Name, Remark_Name;
    Flag Engineer_Check = 0, TestPurpose_Check = 0, Site_Information_Check = 0, Result_Check = 0,
         Remark_Check = 0;
    QString Technology, Workfolder, WorkorderID, Site_ID, Sector, Test_type, Termination;
    bool operator==(const ReportTask &) const = default;
};

struct LoadTask {
    int Mode = 1;
    QString Description;
    QString SetupfileName;
    QString Setup_Info;
    Size SetupfileSize = 0;
    int SetupFormat = 0; // memory only: 1 instrument setup format, 2 XML setup file
    bool operator==(const LoadTask &) const = default;
};

struct CalibrationTask {
    QString Description;
    bool operator==(const CalibrationTask &) const = default;
};
struct HoldTask {
    QString Description;
    bool operator==(const HoldTask &) const = default;
};
struct AutoScaleTask {
    QString Description;
    bool operator==(const AutoScaleTask &) const = default;
};

struct MeasureModeTask {
    QString Description;
    int Measurement = 0;
    bool operator==(const MeasureModeTask &) const = default;
};

struct FrequencyDistanceTask {
    QString Description;
    double Start_Frequency = 0;
    double Stop_Frequency = 0;
    double Center_Frequency = 0; // memory only
    double Span = 0;             // memory only
    double Start_Distance = 0;
    double Stop_Distance = 0;
    int Units = 0;
    Flag Alt_DTF_Band_Check = 0;
    Flag Start_Frequency_Check = 0;
    Flag Stop_Frequency_Check = 0;
    Flag Center_Frequency_Check = 0; // never stored
    Flag Span_Check = 0;             // never stored
    Flag Start_Distance_Check = 0;
    Flag Stop_Distance_Check = 0;
    bool operator==(const FrequencyDistanceTask &) const = default;
};

struct AmplitudeTask {
    QString Description;
    double Top = 65;
    double Bottom = 1;
    bool operator==(const AmplitudeTask &) const = default;
};

struct GeneralTask {
    QString Description;
    Flag Interference_Rejection = 0;
    QString OutputPower = QStringLiteral("-30");
    QString Average = QStringLiteral("1");
    bool operator==(const GeneralTask &) const = default;
};

struct DataPointTask {
    QString Description;
    int Param = 501;
    bool operator==(const DataPointTask &) const = default;
};

struct WindowingTask {
    QString Description;
    int Param = 0;
    bool operator==(const WindowingTask &) const = default;
};

struct DtfTask {
    QString Description;
    int Mode = 1;
    double Propagation_Velocity = 0.88;
    double Cable_Loss = 0.072;
    QString Cable_Name = QStringLiteral("HFC-12D (1/2')");
    int Units = 0;
    bool operator==(const DtfTask &) const = default;
};

struct RfPowerTask {
    QString Description;
    double Frequency = 1000;
    double External_offset = 0;
    int Limit_Mode = 0;
    int Display_Mode = 0;
    int RF_Model = 0;
    double Limit_Minimum = 21;
    double Limit_Maximum = 52;
    double Display_Minimum = 21;
    double Display_Maximum = 52;
    bool operator==(const RfPowerTask &) const = default;
};

struct OpticalPowerTask {
    QString Description;
    int Wavelength_Mode = 2;
    int Wavelength_Param = 1310;
    int Wavelength_Param_LValue = 5;
    Flag Threshold_On_Off = 1;
    double Threshold_Param = -10;
    bool operator==(const OpticalPowerTask &) const = default;
};

struct FiberTask {
    QString Description;
    int Profile = 0;
    int Tip = 0;
    bool operator==(const FiberTask &) const = default;
};

struct BiasTeeTask {
    QString Description;
    int Mode = 1;
    Flag Voltage_On_Off = 1;
    int Voltage_Param = 12;
    bool operator==(const BiasTeeTask &) const = default;
};

struct MarkerSetting {
    int Name = 0;
    int Type = 0;
    int On_Off = 0; // memory only; shown by the summary
    int Search_mode = 0;
    double X_Value = 0;
    bool operator==(const MarkerSetting &) const = default;
};

constexpr int kMarkerCount = 6;

struct MarkerPeakTask {
    QString Description;
    std::vector<MarkerSetting> markers = std::vector<MarkerSetting>(kMarkerCount);
    Flag Condition_Check = 0;
    int MarkerName = 0;
    int Equality_sign = 0;
    Flag Axis = 0;
    QString Threshold_Fail;
    std::vector<AttachedImage> images;
    int Search_between = 0;
    Flag M1toM2_M5 = 0;
    Flag M3toM4_M6 = 0;
    bool operator==(const MarkerPeakTask &) const = default;
};

struct LimitTask {
    QString Description;
    Flag SelectMode = 1;
    Flag Pass_Fail = 0;
    double Move_Limit = 0;
    double Param = 0;
    Flag Limit_Line_On_Off = 0;
    Flag Warning_On_Off = 0;
    QString MSLfileName;
    QString TransMSLfileName;
    Size MSLfileSize = 0;
    Flag Condition_Check = 0;
    std::vector<AttachedImage> images;
    bool operator==(const LimitTask &) const = default;
};

struct ZoomZonesTask {
    QString Description;
    double Zone1_Start_Frequency = 404.5;
    double Zone2_Start_Frequency = 1603.0;
    double Zone3_Start_Frequency = 3201.0;
    double Zone1_Stop_Frequency = 804.0;
    double Zone2_Stop_Frequency = 2002.5;
    double Zone3_Stop_Frequency = 3600.5;
    Flag Zone1_Check = 0;
    Flag Zone2_Check = 0;
    Flag Zone3_Check = 0;
    int Peak_Valley_Search = 0;
    bool operator==(const ZoomZonesTask &) const = default;
};

} // namespace stepvane
