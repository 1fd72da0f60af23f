// The field lists of the wizard's JSON form: one list per record, with its
// JSON keys, drives both writing (dump) and reading (build), so the two can
// never disagree on a key.
#pragma once

#include "document/WizardDocument.h"

#include <vector>

namespace stepvane::cli::wizard_json {

using Images = std::vector<AttachedImage>;
using Markers = std::vector<MarkerSetting>;

// A logo is an AttachedImage written without its comment.
struct Logo {
    AttachedImage &image;
};

// Visits every field of a record with its JSON key. The same list drives
// writing and reading.
template <typename F> void fields(SaveTask &r, F &&f)
{
    f("SaveMode", r.SaveMode);
    f("Storage", r.Storage);
    f("Trace_Check", r.Trace_Check);
    f("Report_Check", r.Report_Check);
    f("Screen_Check", r.Screen_Check);
    f("Trace_Format", r.Trace_Format);
    f("Report_Format", r.Report_Format);
    f("ColorInversion", r.ColorInversion);
    f("MarkerReadings", r.MarkerReadings);
    f("BaseFileName", r.BaseFileName);
    f("BaseFolderName", r.BaseFolderName);
    f("Description", r.Description);
    f("Result_Prev", r.Result_Prev);
    f("Company_Name", r.Company_Name);
    f("Address_Name", r.Address_Name);
    f("logo", Logo{r.logo});
    f("Company_Check", r.Company_Check);
    f("Address_Check", r.Address_Check);
    f("Engineer_Name", r.Engineer_Name);
    f("TestPurpose_Name", r.TestPurpose_Name);
    f("Site_Information_Name", r.Site_Information_Name);
    f("Result_Name", r.Result_Name);
    f("Remark_Name", r.Remark_Name);
    f("Engineer_Check", r.Engineer_Check);
    f("TestPurpose_Check", r.TestPurpose_Check);
    f("Site_Information_Check", r.Site_Information_Check);
    f("Result_Check", r.Result_Check);
    f("Remark_Check", r.Remark_Check);
    f("Technology", r.Technology);
    f("WorkFolder", r.WorkFolder);
    f("WorkOrderID", r.WorkOrderID);
    f("Site-ID", r.Site_ID);
    f("Sector", r.Sector);
    f("Test_Type", r.Test_Type);
    f("Termination", r.Termination);
}
template <typename F> void fields(PromptTask &r, F &&f)
{
    f("Manual_operation", r.Manual_operation);
    f("Description", r.Description);
    f("images", r.images);
    f("Move_forward_Mode", r.Move_forward_Mode);
    f("DelayTime", r.DelayTime);
}
template <typename F> void fields(ReportTask &r, F &&f)
{
    f("SaveMode", r.SaveMode);
    f("Description", r.Description);
    f("BaseFolderName", r.BaseFolderName);
    f("BaseFileName", r.BaseFileName);
    f("Filetype", r.Filetype);
    f("Company_Name", r.Company_Name);
    f("Address_Name", r.Address_Name);
    f("logo", Logo{r.logo});
    f("Company_Check", r.Company_Check);
    f("Address_Check", r.Address_Check);
    f("Engineer_Name", r.Engineer_Name);
    f("TestPurpose_Name", r.TestPurpose_Name);
    f("Site_Information_Name", r.Site_Information_Name);
    f("Result_Name", r.Result_Name);
    f("Remark_Name", r.Remark_Name);
    f("Engineer_Check", r.Engineer_Check);
    f("TestPurpose_Check", r.TestPurpose_Check);
    f("Site_Information_Check", r.Site_Information_Check);
    f("Result_Check", r.Result_Check);
    f("Remark_Check", r.Remark_Check);
    f("Technology", r.Technology);
    f("Workfolder", r.Workfolder);
    f("WorkorderID", r.WorkorderID);
    f("Site-ID", r.Site_ID);
    f("Sector", r.Sector);
    f("Test_type", r.Test_type);
    f("Termination", r.Termination);
}
template <typename F> void fields(LoadTask &r, F &&f)
{
    f("Mode", r.Mode);
    f("Description", r.Description);
    f("SetupfileName", r.SetupfileName);
    f("Setup_Info", r.Setup_Info);
    f("SetupfileSize", r.SetupfileSize);
    f("SetupFormat", r.SetupFormat);
}
template <typename F> void fields(CalibrationTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(HoldTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(AutoScaleTask &r, F &&f)
{
    f("Description", r.Description);
}
template <typename F> void fields(MeasureModeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Measurement", r.Measurement);
}
template <typename F> void fields(FrequencyDistanceTask &r, F &&f)
{
    f("Description", r.Description);
    f("Start_Frequency", r.Start_Frequency);
    f("Stop_Frequency", r.Stop_Frequency);
    // Center_Frequency and Span live in memory only: the file holds neither,
    // so the JSON, which stands for the file, holds neither either.
    f("Start_Distance", r.Start_Distance);
    f("Stop_Distance", r.Stop_Distance);
    f("Units", r.Units);
    f("Alt_DTF_Band_Check", r.Alt_DTF_Band_Check);
    f("Start_Frequency_Check", r.Start_Frequency_Check);
    f("Stop_Frequency_Check", r.Stop_Frequency_Check);
    f("Start_Distance_Check", r.Start_Distance_Check);
    f("Stop_Distance_Check", r.Stop_Distance_Check);
}
template <typename F> void fields(AmplitudeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Top", r.Top);
    f("Bottom", r.Bottom);
}
template <typename F> void fields(GeneralTask &r, F &&f)
{
    f("Description", r.Description);
    f("Interference_Rejection", r.Interference_Rejection);
    f("OutputPower", r.OutputPower);
    f("Average", r.Average);
}
template <typename F> void fields(DataPointTask &r, F &&f)
{
    f("Description", r.Description);
    f("Param", r.Param);
}
template <typename F> void fields(WindowingTask &r, F &&f)
{
    f("Description", r.Description);
    f("Param", r.Param);
}
template <typename F> void fields(DtfTask &r, F &&f)
{
    f("Description", r.Description);
    f("Mode", r.Mode);
    f("Propagation_Velocity", r.Propagation_Velocity);
    f("Cable_Loss", r.Cable_Loss);
    f("Cable_Name", r.Cable_Name);
    f("Units", r.Units);
}
template <typename F> void fields(RfPowerTask &r, F &&f)
{
    f("Description", r.Description);
    f("Frequency", r.Frequency);
    f("External_offset", r.External_offset);
    f("Limit_Mode", r.Limit_Mode);
    f("Display_Mode", r.Display_Mode);
    f("RF_Model", r.RF_Model);
    f("Limit_Minimum", r.Limit_Minimum);
    f("Limit_Maximum", r.Limit_Maximum);
    f("Display_Minimum", r.Display_Minimum);
    f("Display_Maximum", r.Display_Maximum);
}
template <typename F> void fields(OpticalPowerTask &r, F &&f)
{
    f("Description", r.Description);
    f("Wavelength_Mode", r.Wavelength_Mode);
    f("Wavelength_Param", r.Wavelength_Param);
    f("Wavelength_Param_LValue", r.Wavelength_Param_LValue);
    f("Threshold_On_Off", r.Threshold_On_Off);
    f("Threshold_Param", r.Threshold_Param);
}
template <typename F> void fields(FiberTask &r, F &&f)
{
    f("Description", r.Description);
    f("Profile", r.Profile);
    f("Tip", r.Tip);
}
template <typename F> void fields(BiasTeeTask &r, F &&f)
{
    f("Description", r.Description);
    f("Mode", r.Mode);
    f("Voltage_On_Off", r.Voltage_On_Off);
    f("Voltage_Param", r.Voltage_Param);
}
template <typename F> void fields(MarkerPeakTask &r, F &&f)
{
    f("Description", r.Description);
    f("markers", r.markers);
    f("Condition_Check", r.Condition_Check);
    f("MarkerName", r.MarkerName);
    f("Equality_sign", r.Equality_sign);
    f("Axis", r.Axis);
    f("Threshold_Fail", r.Threshold_Fail);
    f("images", r.images);
    f("Search_between", r.Search_between);
    f("M1toM2_M5", r.M1toM2_M5);
    f("M3toM4_M6", r.M3toM4_M6);
}
template <typename F> void fields(LimitTask &r, F &&f)
{
    f("Description", r.Description);
    f("SelectMode", r.SelectMode);
    f("Pass_Fail", r.Pass_Fail);
    f("Move_Limit", r.Move_Limit);
    f("Param", r.Param);
    f("Limit_Line_On_Off", r.Limit_Line_On_Off);
    f("Warning_On_Off", r.Warning_On_Off);
    f("MSLfileName", r.MSLfileName);
    f("TransMSLfileName", r.TransMSLfileName);
    f("MSLfileSize", r.MSLfileSize);
    f("Condition_Check", r.Condition_Check);
    f("images", r.images);
}
template <typename F> void fields(ZoomZonesTask &r, F &&f)
{
    f("Description", r.Description);
    f("Zone1_Start_Frequency", r.Zone1_Start_Frequency);
    f("Zone2_Start_Frequency", r.Zone2_Start_Frequency);
    f("Zone3_Start_Frequency", r.Zone3_Start_Frequency);
    f("Zone1_Stop_Frequency", r.Zone1_Stop_Frequency);
    f("Zone2_Stop_Frequency", r.Zone2_Stop_Frequency);
    f("Zone3_Stop_Frequency", r.Zone3_Stop_Frequency);
    f("Zone1_Check", r.Zone1_Check);
    f("Zone2_Check", r.Zone2_Check);
    f("Zone3_Check", r.Zone3_Check);
    f("Peak_Valley_Search", r.Peak_Valley_Search);
}

template <typename F> void imageFields(AttachedImage &i, bool withComment, F &&f)
{
    if (withComment)
        f("Comment", i.Comment);
    f("ImageName", i.ImageName);
    f("TransImageName", i.TransImageName);
    f("Image_filesize", i.Image_filesize);
    f("ImageWidth", i.ImageWidth);
    f("ImageHeight", i.ImageHeight);
}

template <typename F> void markerFields(MarkerSetting &m, F &&f)
{
    f("Name", m.Name);
    f("Type", m.Type);
    f("On_Off", m.On_Off);
    f("Search_mode", m.Search_mode);
    f("X_Value", m.X_Value);
}

} // namespace stepvane::cli::wizard_json
