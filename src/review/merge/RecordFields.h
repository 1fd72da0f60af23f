// The stored fields of every parameter record, by name and member, in the
// order the file (and the record's page) holds them: what the merge compares
// field by field and what the text rendering prints one line each. Values that
// live in memory only (a centre frequency, a marker's on/off, the setup
// format) are left out: they are not part of a wizard.
#pragma once

#include "document/WizardDocument.h"

// Calls f(name, pointer-to-member) for each listed member of one record type.
// The expansion is the usual __VA_OPT__ recursion: 256 rescans are enough for
// the longest record.
#define SV_FIELDS_PARENS ()
#define SV_FIELDS_EXPAND(...)                                                                      \
    SV_FIELDS_EXPAND3(SV_FIELDS_EXPAND3(SV_FIELDS_EXPAND3(SV_FIELDS_EXPAND3(__VA_ARGS__))))
#define SV_FIELDS_EXPAND3(...)                                                                     \
    SV_FIELDS_EXPAND2(SV_FIELDS_EXPAND2(SV_FIELDS_EXPAND2(SV_FIELDS_EXPAND2(__VA_ARGS__))))
#define SV_FIELDS_EXPAND2(...)                                                                     \
    SV_FIELDS_EXPAND1(SV_FIELDS_EXPAND1(SV_FIELDS_EXPAND1(SV_FIELDS_EXPAND1(__VA_ARGS__))))
#define SV_FIELDS_EXPAND1(...) __VA_ARGS__
#define SV_FIELDS_EACH(R, ...) __VA_OPT__(SV_FIELDS_EXPAND(SV_FIELDS_HELPER(R, __VA_ARGS__)))
#define SV_FIELDS_HELPER(R, m, ...)                                                                \
    f(#m, &R::m);                                                                                  \
    __VA_OPT__(SV_FIELDS_AGAIN SV_FIELDS_PARENS(R, __VA_ARGS__))
#define SV_FIELDS_AGAIN() SV_FIELDS_HELPER
#define SV_RECORD_FIELDS(R, ...)                                                                   \
    template <typename F> void forEachField(const R *, F &&f)                                      \
    {                                                                                              \
        SV_FIELDS_EACH(R, __VA_ARGS__)                                                             \
    }

namespace stepvane {

// clang-format off
SV_RECORD_FIELDS(SaveTask, Description, SaveMode, Storage, Trace_Check, Report_Check, Screen_Check,
    Trace_Format, Report_Format, ColorInversion, MarkerReadings, BaseFileName, BaseFolderName,
    Result_Prev, Company_Name, Address_Name, logo, Company_Check, Address_Check, Engineer_Name,
    TestPurpose_Name, Site_Information_Name, Result_Name, Remark_Name, Engineer_Check,
    TestPurpose_Check, Site_Information_Check, Result_Check, Remark_Check, Technology, WorkFolder,
    WorkOrderID, Site_ID, Sector, Test_Type, Termination)
SV_RECORD_FIELDS(PromptTask, Description, Manual_operation, images, Move_forward_Mode, DelayTime)
SV_RECORD_FIELDS(ReportTask, Description, SaveMode, BaseFolderName, BaseFileName, Filetype,
    Company_Name, Address_Name, logo, Company_Check, Address_Check, Engineer_Name, TestPurpose_Name,
    Site_Information_Name, Result_Name, Remark_Name, Engineer_Check, TestPurpose_Check,
    Site_Information_Check, Result_Check, Remark_Check, Technology, Workfolder, WorkorderID, Site_ID,
    Sector, Test_type, Termination)
SV_RECORD_FIELDS(LoadTask, Description, Mode, SetupfileName, Setup_Info, SetupfileSize)
SV_RECORD_FIELDS(CalibrationTask, Description)
SV_RECORD_FIELDS(HoldTask, Description)
SV_RECORD_FIELDS(AutoScaleTask, Description)
SV_RECORD_FIELDS(MeasureModeTask, Description, Measurement)
SV_RECORD_FIELDS(FrequencyDistanceTask, Description, Start_Frequency, Start_Frequency_Check,
    Stop_Frequency, Stop_Frequency_Check, Alt_DTF_Band_Check, Start_Distance, Start_Distance_Check,
    Stop_Distance, Stop_Distance_Check, Units)
SV_RECORD_FIELDS(AmplitudeTask, Description, Top, Bottom)
SV_RECORD_FIELDS(GeneralTask, Description, Interference_Rejection, OutputPower, Average)
SV_RECORD_FIELDS(DataPointTask, Description, Param)
SV_RECORD_FIELDS(WindowingTask, Description, Param)
SV_RECORD_FIELDS(DtfTask, Description, Mode, Propagation_Velocity, Cable_Loss, Cable_Name, Units)
SV_RECORD_FIELDS(RfPowerTask, Description, Frequency, External_offset, Limit_Mode, Display_Mode,
    RF_Model, Limit_Minimum, Limit_Maximum, Display_Minimum, Display_Maximum)
SV_RECORD_FIELDS(OpticalPowerTask, Description, Wavelength_Mode, Wavelength_Param,
    Wavelength_Param_LValue, Threshold_On_Off, Threshold_Param)
SV_RECORD_FIELDS(FiberTask, Description, Profile, Tip)
SV_RECORD_FIELDS(BiasTeeTask, Description, Mode, Voltage_On_Off, Voltage_Param)
SV_RECORD_FIELDS(MarkerPeakTask, Description, markers, Search_between, M1toM2_M5, M3toM4_M6,
    Condition_Check, MarkerName, Equality_sign, Axis, Threshold_Fail, images)
SV_RECORD_FIELDS(LimitTask, Description, SelectMode, Limit_Line_On_Off, Move_Limit, Warning_On_Off,
    Param, MSLfileName, TransMSLfileName, MSLfileSize, Pass_Fail, Condition_Check, images)
SV_RECORD_FIELDS(ZoomZonesTask, Description, Zone1_Check, Zone1_Start_Frequency,
    Zone1_Stop_Frequency, Zone2_Check, Zone2_Start_Frequency, Zone2_Stop_Frequency, Zone3_Check,
    Zone3_Start_Frequency, Zone3_Stop_Frequency, Peak_Valley_Search)
// clang-format on

// Fields whose text is the path of a working copy: compared and shown by the
// file's bytes, never by the path (two readings restore to different paths).
inline bool isFilePathField(const char *name)
{
    return qstrcmp(name, "TransMSLfileName") == 0 || qstrcmp(name, "SetupfileName") == 0;
}

} // namespace stepvane

#undef SV_RECORD_FIELDS
