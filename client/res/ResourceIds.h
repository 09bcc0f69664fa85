#pragma once
// Numeric ids of the client's dialogs, controls and strings. The dialogs are
// built in code; these numbers name them and their controls.
namespace res {

// Dialogs (CDlgBase::GetTemplateId)
inline constexpr int IDD_DLG_LOGIN = 314;
inline constexpr int IDD_DLG_INPUT = 318;
inline constexpr int IDD_DLG_REMOTE_COMM_PARAM = 332;

// Login dialog
inline constexpr int IDC_EDIT_PASSWORD = 1013;
inline constexpr int IDC_BTN_CHANGE_PASSWORD = 1014;
inline constexpr int IDC_BTN_LOGIN = 1015;
inline constexpr int IDC_BTN_CANCEL = 1016;
inline constexpr int IDC_EDIT_USER = 1017;
inline constexpr int IDC_EDIT_SERVER_ADDRESS = 1018;
inline constexpr int IDC_BTN_COMM_PARAM = 1019;

// Remote communication parameter dialog
inline constexpr int IDC_EDIT_DB_PORT = 1002;
inline constexpr int IDC_EDIT_DB_USER = 1003;
inline constexpr int IDC_EDIT_DB_PASSWORD = 1004;
inline constexpr int IDC_EDIT_DB_NAME = 1005;
inline constexpr int IDC_EDIT_MQTT_PORT = 1006;
inline constexpr int IDC_EDIT_MQTT_USER = 1007;
inline constexpr int IDC_EDIT_MQTT_PASSWORD = 1008;
inline constexpr int IDC_IPADDRESS_DB = 1020;
inline constexpr int IDC_IPADDRESS_MQTT = 1021;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Input box
inline constexpr int IDC_EDIT_INPUT = 1048;
inline constexpr int IDC_BTN_INPUT_OK = 1049;
inline constexpr int IDC_BTN_INPUT_CANCEL = 1038;

}  // namespace res
