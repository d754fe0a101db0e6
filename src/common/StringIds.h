#pragma once
// Named ids of the string table (app/StringTable.h). A message box uses a caption id and
// the text id that follows it.

namespace vr31k::ids {

// system menu item and the main window's class name
inline constexpr int IDS_SYSMENU_ABOUT = 101;
inline constexpr int IDS_MAIN_WINDOW_CLASS = 102;
// start-up refusal: another user runs the program
inline constexpr int IDS_MULTIUSER_CAPTION = 103;
inline constexpr int IDS_MULTIUSER_TEXT = 104;
// version dialog; the version number is appended
inline constexpr int IDS_ABOUT_VERSION_PREFIX = 105;
// card check: port and card identity
inline constexpr int IDS_PORT_OPEN_ERROR_CAPTION = 106;
inline constexpr int IDS_PORT_OPEN_ERROR_TEXT = 107;
inline constexpr int IDS_WRONG_DEVICE_CAPTION = 108;
inline constexpr int IDS_WRONG_DEVICE_TEXT = 109;
// SIM state and SIM code entry
inline constexpr int IDS_WRONG_SIM_CAPTION = 110;
inline constexpr int IDS_WRONG_SIM_TEXT = 111;
inline constexpr int IDS_SIM_LOCKED_CAPTION = 112;
inline constexpr int IDS_SIM_LOCKED_TEXT = 113;
inline constexpr int IDS_SIM_FAILURE_CAPTION = 114;
inline constexpr int IDS_SIM_FAILURE_TEXT = 115;
inline constexpr int IDS_PIN_FORMAT_CAPTION = 116;
inline constexpr int IDS_PIN_FORMAT_TEXT = 117;
inline constexpr int IDS_PIN_WRONG_CAPTION = 118;
inline constexpr int IDS_PIN_WRONG_TEXT = 119;
inline constexpr int IDS_PIN_BLOCKED_CAPTION = 120;
inline constexpr int IDS_PIN_BLOCKED_TEXT = 121;
inline constexpr int IDS_SIM_NOT_INSERTED_CAPTION = 122;
inline constexpr int IDS_SIM_NOT_INSERTED_TEXT = 123;
inline constexpr int IDS_PIN_CONFIRM_MISMATCH_CAPTION = 124;
inline constexpr int IDS_PIN_CONFIRM_MISMATCH_TEXT = 125;
inline constexpr int IDS_PUK_BLOCKED_CAPTION = 126;
inline constexpr int IDS_PUK_BLOCKED_TEXT = 127;
// utility settings: questions
inline constexpr int IDS_CONTINUOUS_SIGNAL_CAPTION = 128;
inline constexpr int IDS_CONTINUOUS_SIGNAL_TEXT = 129;
inline constexpr int IDS_AUTOSTART_OFF_CAPTION = 130;
inline constexpr int IDS_AUTOSTART_OFF_TEXT = 131;
// menu item captions switched at run time (signal display, connect/disconnect)
inline constexpr int IDS_SIGNAL_ITEM_CONTINUOUS = 132;
inline constexpr int IDS_SIGNAL_ITEM_ONESHOT = 133;
inline constexpr int IDS_CONNECT_ITEM = 134;
inline constexpr int IDS_DISCONNECT_ITEM = 135;
// card removal
inline constexpr int IDS_CARD_REMOVED_CAPTION = 136;
inline constexpr int IDS_CARD_REMOVED_TEXT = 137;
inline constexpr int IDS_CARD_REMOVE_FAILED_CAPTION = 138;
inline constexpr int IDS_CARD_REMOVE_FAILED_TEXT = 139;
// property sheet captions
inline constexpr int IDS_DIALUP_SHEET_CAPTION = 140;
inline constexpr int IDS_TOTALS_SHEET_CAPTION = 147;
// APN synchronisation outcome
inline constexpr int IDS_SYNC_CANCELLED_CAPTION = 152;
inline constexpr int IDS_SYNC_CANCELLED_TEXT = 153;
inline constexpr int IDS_SYNC_DONE_CAPTION = 158;
inline constexpr int IDS_SYNC_DONE_TEXT = 159;
// dial progress
inline constexpr int IDS_PROGRESS_OPEN_PORT = 161;
inline constexpr int IDS_PROGRESS_CONNECT_DEVICE = 162;
inline constexpr int IDS_PROGRESS_DEVICE_CONNECTED = 163;
inline constexpr int IDS_PROGRESS_AUTHENTICATE = 164;
inline constexpr int IDS_PROGRESS_AUTHENTICATED = 165;
inline constexpr int IDS_PROGRESS_CONNECTED = 166;
// connect, disconnect and exit
inline constexpr int IDS_EXIT_CONFIRM_CAPTION = 167;
inline constexpr int IDS_EXIT_CONFIRM_TEXT = 168;
inline constexpr int IDS_DISCONNECT_CONFIRM_CAPTION = 169;
inline constexpr int IDS_DISCONNECT_CONFIRM_TEXT = 170;
inline constexpr int IDS_DIAL_FAILED_CAPTION = 171;
inline constexpr int IDS_DIAL_FAILED_TEXT = 172;
inline constexpr int IDS_CHARGE_NOTICE_CAPTION = 173;
inline constexpr int IDS_CHARGE_NOTICE_TEXT = 174;
inline constexpr int IDS_CONNECT_CONFIRM_CAPTION = 179;
inline constexpr int IDS_CONNECT_CONFIRM_TEXT = 180;
// main window button captions switched at run time
inline constexpr int IDS_SIGNAL_BUTTON_ONESHOT = 181;
inline constexpr int IDS_SIGNAL_BUTTON_CONTINUOUS = 182;
inline constexpr int IDS_SIGNAL_BUTTON_ONESHOT_STOP = 183;
inline constexpr int IDS_SIGNAL_BUTTON_CONTINUOUS_STOP = 184;
inline constexpr int IDS_CONNECT_BUTTON = 185;
inline constexpr int IDS_DISCONNECT_BUTTON = 186;
// utility settings: display time checks
inline constexpr int IDS_DIGITS_ONLY_CAPTION = 187;
inline constexpr int IDS_DIGITS_ONLY_TEXT = 188;
inline constexpr int IDS_RANGE_CAPTION = 189;
inline constexpr int IDS_RANGE_TEXT = 190;
// shared communication and write errors
inline constexpr int IDS_COMM_ERROR_CAPTION = 195;
inline constexpr int IDS_COMM_ERROR_TEXT = 196;
inline constexpr int IDS_WRITE_ERROR_CAPTION = 197;
inline constexpr int IDS_WRITE_ERROR_TEXT = 198;
// PUK entry
inline constexpr int IDS_PUK_WRONG_CAPTION = 199;
inline constexpr int IDS_PUK_WRONG_TEXT = 200;
// program title (tray tip, line-lost caption) and line lost
inline constexpr int IDS_APP_TITLE = 201;
inline constexpr int IDS_LINE_LOST_TEXT = 203;
// PIN change refused while the PIN lock is off
inline constexpr int IDS_PIN_CHANGE_REFUSED_CAPTION = 208;
inline constexpr int IDS_PIN_CHANGE_REFUSED_TEXT = 209;
// dial aborted, no signal
inline constexpr int IDS_DIAL_ABORTED_CAPTION = 212;
inline constexpr int IDS_DIAL_ABORTED_TEXT = 213;
inline constexpr int IDS_OUT_OF_SERVICE_CAPTION = 214;
inline constexpr int IDS_OUT_OF_SERVICE_TEXT = 215;
// start-up refusals: guest account, old system
inline constexpr int IDS_GUEST_CAPTION = 220;
inline constexpr int IDS_GUEST_TEXT = 221;
inline constexpr int IDS_OS_CAPTION = 222;
inline constexpr int IDS_OS_TEXT = 223;
// standby refusals: card work (239), dial-up settings with the port open (240) or closed (241)
inline constexpr int IDS_STANDBY_REFUSED_CAPTION = 238;
inline constexpr int IDS_STANDBY_REFUSED_CARD_TEXT = 239;
inline constexpr int IDS_STANDBY_REFUSED_SETTINGS_PORT_TEXT = 240;
inline constexpr int IDS_STANDBY_REFUSED_SETTINGS_TEXT = 241;

// ---- Menu item captions by command id (menu resources, not string resources).
// main menu
inline constexpr int IDS_MENU_SIGNAL_DISPLAY = 32785;
inline constexpr int IDS_MENU_REMOVE = 32787;
inline constexpr int IDS_MENU_CONNECT = 32788;
inline constexpr int IDS_MENU_EXIT = 32789;
inline constexpr int IDS_MENU_UTILITY_SETTINGS = 32790;
inline constexpr int IDS_MENU_DIALUP_SETTINGS = 32791;
inline constexpr int IDS_MENU_PIN_LOCK = 32792;
inline constexpr int IDS_MENU_PIN_CHANGE = 32793;
inline constexpr int IDS_MENU_DIALUP_STATUS = 32794;
inline constexpr int IDS_MENU_HISTORY = 32795;
inline constexpr int IDS_MENU_TOTALS = 32796;
inline constexpr int IDS_MENU_CARD_INFO = 32797;
inline constexpr int IDS_MENU_ABOUT = 32801;
inline constexpr int IDS_MENU_HELP = 32802;
// tray menu
inline constexpr int IDS_TRAY_SIGNAL_DISPLAY = 32805;
inline constexpr int IDS_TRAY_CONNECT = 32806;
inline constexpr int IDS_TRAY_REMOVE = 32807;
inline constexpr int IDS_TRAY_DIALUP_STATUS = 32808;
inline constexpr int IDS_TRAY_MAIN_WINDOW = 32809;

// ---- Texts shown without a resource id of their own (numbered from 41000).
// dial-up entry page: reset and delete
inline constexpr int IDS_ENTRY_RESET_CAPTION = 41000;
inline constexpr int IDS_ENTRY_RESET_TEXT = 41001;
inline constexpr int IDS_ENTRY_DELETE_CAPTION = 41002;
inline constexpr int IDS_ENTRY_DELETE_TEXT = 41003;
inline constexpr int IDS_ENTRY1_DELETE_CAPTION = 41004;
inline constexpr int IDS_ENTRY1_DELETE_TEXT = 41005;
// dial-up entry edit: input checks
inline constexpr int IDS_ENTRY_CHECK_CAPTION = 41010;
inline constexpr int IDS_ENTRY_NAME_EMPTY_TEXT = 41011;
inline constexpr int IDS_ENTRY_NAME_INVALID_TEXT = 41012;
inline constexpr int IDS_ENTRY_NAME_DUPLICATE_TEXT = 41013;
inline constexpr int IDS_ENTRY_NAME_TOO_LONG_TEXT = 41014;
inline constexpr int IDS_ENTRY_USER_TOO_LONG_TEXT = 41015;
inline constexpr int IDS_ENTRY_PASSWORD_TOO_LONG_TEXT = 41016;
inline constexpr int IDS_ENTRY_MODEM_CHANGED_CAPTION = 41020;
inline constexpr int IDS_ENTRY_MODEM_CHANGED_TEXT = 41021;
// APN synchronisation with the card
inline constexpr int IDS_SYNC_ABANDON_CAPTION = 41030;
inline constexpr int IDS_SYNC_ABANDON_TEXT = 41031;
inline constexpr int IDS_SYNC_RESET_CAPTION = 41032;
inline constexpr int IDS_SYNC_RESET_TEXT = 41033;
inline constexpr int IDS_SYNC_TO_CARD_CAPTION = 41034;
inline constexpr int IDS_SYNC_TO_CARD_TEXT = 41035;
// message-box buttons, so boxes read the same whatever the desktop's language
inline constexpr int IDS_BUTTON_OK = 42000;
inline constexpr int IDS_BUTTON_CANCEL = 42001;
inline constexpr int IDS_BUTTON_YES = 42002;
inline constexpr int IDS_BUTTON_NO = 42003;
// the main window's menus, labels and controls
inline constexpr int IDS_MENU_CARD = 42010;
inline constexpr int IDS_MENU_SETTINGS = 42011;
inline constexpr int IDS_MENU_HELP_TOP = 42012;
inline constexpr int IDS_LABEL_ENTRY = 42013;
inline constexpr int IDS_LABEL_TIME = 42014;
inline constexpr int IDS_LABEL_VOLUME = 42015;
inline constexpr int IDS_REMOVE_BUTTON = 42016;
inline constexpr int IDS_PICTURE_NAME = 42017;
inline constexpr int IDS_NOT_YET_TEXT = 42018;
// the connection's balloon, and a hang-up that did not finish
inline constexpr int IDS_BALLOON_CONNECTED_TITLE = 42020;
inline constexpr int IDS_BALLOON_CONNECTED_ENTRY = 42021;
inline constexpr int IDS_HANGUP_FAILED_CAPTION = 42022;
inline constexpr int IDS_HANGUP_FAILED_TEXT = 42023;
// the state picture in words, for screen readers: state n is 42030 + n
inline constexpr int IDS_STATE_WORDS_FIRST = 42030;
inline constexpr int IDS_SIGNAL_OUT_OF_SERVICE_WORDS = 42042;
inline constexpr int IDS_SIGNAL_LEVEL_WORDS = 42043;
// What start-up could not do, told in a box as well as on stderr.
inline constexpr int IDS_FOLDER_NOT_MEMBER_TEXT = 42044;
inline constexpr int IDS_FOLDER_JOINED_LATER_TEXT = 42045;
inline constexpr int IDS_FOLDER_FAILED_TEXT = 42046;
inline constexpr int IDS_FOLDER_OPEN_TEXT = 42047;
inline constexpr int IDS_HISTORY_OPEN_FAILED_TEXT = 42048;
inline constexpr int IDS_HISTORY_MOVED_ASIDE_TEXT = 42049;
inline constexpr int IDS_PORTNAME_DISTRUSTED_TEXT = 42050;
inline constexpr int IDS_STARTUP_LOCK_TIMEOUT_TEXT = 42051;
inline constexpr int IDS_CREDENTIALS_UNREADABLE_TEXT = 42052;
inline constexpr int IDS_SETTINGS_UNREADABLE_TEXT = 42053;
inline constexpr int IDS_CREDENTIALS_STUCK_TEXT = 42054;

// ---- Dialog captions and control labels (numbered from 42100).
// PIN entry
inline constexpr int IDS_DLG_PIN_CAPTION = 42100;
inline constexpr int IDS_DLG_PIN_PROMPT = 42101;
inline constexpr int IDS_DLG_PIN_ATTEMPTS = 42102;
inline constexpr int IDS_ATTEMPTS_FORMAT = 42103;  // "%d 回", in all three SIM code dialogs
inline constexpr int IDS_DLG_PIN_FIELD = 42104;
// PUK entry
inline constexpr int IDS_DLG_PUK_CAPTION = 42110;
inline constexpr int IDS_DLG_PUK_PROMPT = 42111;
inline constexpr int IDS_DLG_PUK_ATTEMPTS = 42112;
inline constexpr int IDS_DLG_PUK_FIELD = 42113;
inline constexpr int IDS_DLG_PUK_NEW_PIN = 42114;
inline constexpr int IDS_DLG_PUK_CONFIRM_PIN = 42115;
// PIN lock
inline constexpr int IDS_DLG_PIN_LOCK_CAPTION = 42120;
inline constexpr int IDS_DLG_PIN_LOCK_GROUP = 42121;
inline constexpr int IDS_DLG_PIN_LOCK_ON = 42122;
inline constexpr int IDS_DLG_PIN_LOCK_OFF = 42123;
// PIN change
inline constexpr int IDS_DLG_PIN_CHANGE_CAPTION = 42130;
inline constexpr int IDS_DLG_PIN_CHANGE_ATTEMPTS = 42131;
inline constexpr int IDS_DLG_PIN_CHANGE_CURRENT = 42132;
inline constexpr int IDS_DLG_PIN_CHANGE_NEW = 42133;
inline constexpr int IDS_DLG_PIN_CHANGE_CONFIRM = 42134;
// utility settings
inline constexpr int IDS_DLG_UTILITY_CAPTION = 42140;
inline constexpr int IDS_DLG_UTILITY_AUTOSTART = 42141;
inline constexpr int IDS_DLG_UTILITY_ICONIZED = 42142;
inline constexpr int IDS_DLG_UTILITY_CARD_RISING = 42143;
inline constexpr int IDS_DLG_UTILITY_SIGNAL_GROUP = 42144;
inline constexpr int IDS_DLG_UTILITY_CONTINUOUS = 42145;
inline constexpr int IDS_DLG_UTILITY_ONESHOT = 42146;
inline constexpr int IDS_DLG_UTILITY_TIMER = 42147;
inline constexpr int IDS_DLG_UTILITY_SECONDS = 42148;
// card information
inline constexpr int IDS_DLG_CARD_INFO_CAPTION = 42150;
inline constexpr int IDS_DLG_CARD_INFO_PHONE = 42151;
inline constexpr int IDS_DLG_CARD_INFO_VERSION = 42152;
// version
inline constexpr int IDS_DLG_ABOUT_CAPTION = 42160;
inline constexpr int IDS_DLG_ABOUT_RIGHTS = 42161;
inline constexpr int IDS_DLG_ABOUT_ICON = 42162;
// connection diagnosis: the help item, its dialog, and the port-open box's cause line and button
inline constexpr int IDS_MENU_DIAGNOSIS = 42170;
inline constexpr int IDS_DLG_DIAGNOSIS_CAPTION = 42171;
inline constexpr int IDS_DIAGNOSIS_LIST = 42172;
inline constexpr int IDS_DIAGNOSIS_COL_CHECK = 42173;
inline constexpr int IDS_DIAGNOSIS_COL_STATUS = 42174;
inline constexpr int IDS_DIAGNOSIS_COL_MESSAGE = 42175;
inline constexpr int IDS_DIAGNOSIS_COL_FIX = 42176;
inline constexpr int IDS_DIAGNOSIS_OK = 42177;  // the four results in CheckStatus order
inline constexpr int IDS_DIAGNOSIS_WARNING = 42178;
inline constexpr int IDS_DIAGNOSIS_FAILED = 42179;
inline constexpr int IDS_DIAGNOSIS_UNKNOWN = 42180;
inline constexpr int IDS_DIAGNOSIS_RUNNING = 42181;
inline constexpr int IDS_DIAGNOSIS_SUMMARY = 42182;
inline constexpr int IDS_DIAGNOSIS_COPY = 42183;
inline constexpr int IDS_DIAGNOSIS_BOX_BUTTON = 42184;
inline constexpr int IDS_PORT_CAUSE_LINE = 42185;
// connection dialogs: connecting, disconnecting, result and status
inline constexpr int IDS_DLG_CONNECTING_CAPTION = 43000;
inline constexpr int IDS_DLG_CONNECTING_TEXT = 43001;
inline constexpr int IDS_DLG_CONNECTING_PICTURE = 43002;
inline constexpr int IDS_DLG_DISCONNECTING_CAPTION = 43010;
inline constexpr int IDS_DLG_DISCONNECTING_TEXT = 43011;
inline constexpr int IDS_DLG_RESULT_CAPTION = 43020;
inline constexpr int IDS_DLG_RESULT_GROUP = 43021;
inline constexpr int IDS_DLG_STATUS_CAPTION = 43022;
inline constexpr int IDS_DLG_STATUS_GROUP = 43023;
inline constexpr int IDS_DLG_FIGURES_CHARGE_GROUP = 43024;
inline constexpr int IDS_DLG_FIGURES_TIME = 43025;
inline constexpr int IDS_DLG_FIGURES_SENT = 43026;
inline constexpr int IDS_DLG_FIGURES_RECEIVED = 43027;
inline constexpr int IDS_DLG_FIGURES_CHARGE = 43028;
inline constexpr int IDS_DLG_FIGURES_FREE_LEFT = 43029;
inline constexpr int IDS_DLG_FIGURES_LIMIT_LEFT = 43030;
inline constexpr int IDS_DLG_FIGURES_NOTE = 43031;

// ---- Dial-up settings sheet, entry edit and synchronisation dialogs (from 43100).
// the sheet and the entry page
inline constexpr int IDS_BUTTON_CLOSE = 43100;
inline constexpr int IDS_DLG_ENTRY_PAGE_TITLE = 43101;
inline constexpr int IDS_DLG_ENTRY_CURRENT = 43102;
inline constexpr int IDS_DLG_ENTRY_COLUMN_NUMBER = 43103;
inline constexpr int IDS_DLG_ENTRY_COLUMN_APN = 43104;
inline constexpr int IDS_DLG_ENTRY_RESET = 43105;
inline constexpr int IDS_DLG_ENTRY_DELETE = 43106;
inline constexpr int IDS_DLG_ENTRY_EDIT = 43107;
inline constexpr int IDS_DLG_ENTRY_ADD = 43108;
inline constexpr int IDS_DLG_ENTRY_LIST = 43109;
// entry edit
inline constexpr int IDS_DLG_ENTRY_MODIFY_CAPTION = 43110;
inline constexpr int IDS_DLG_ENTRY_NAME = 43111;
inline constexpr int IDS_DLG_ENTRY_USER = 43112;
inline constexpr int IDS_DLG_ENTRY_PASSWORD = 43113;
inline constexpr int IDS_DLG_ENTRY_DIAL = 43114;
// synchronisation: the three ways
inline constexpr int IDS_DLG_SYNC_CAPTION = 43120;
inline constexpr int IDS_DLG_SYNC_EXPLANATION = 43121;
inline constexpr int IDS_DLG_SYNC_TO_CARD = 43122;
inline constexpr int IDS_DLG_SYNC_FROM_CARD = 43123;
inline constexpr int IDS_DLG_SYNC_ICON = 43124;
// synchronisation: the card's entries one by one
inline constexpr int IDS_DLG_SYNC_LIST_CAPTION = 43130;
inline constexpr int IDS_DLG_SYNC_LIST_CHANGE = 43131;
inline constexpr int IDS_DLG_SYNC_LIST_EXPLANATION = 43132;

// charge plan page: controls
inline constexpr int IDS_PLAN_PAGE_TITLE = 43500;
inline constexpr int IDS_PLAN_TYPE_LABEL = 43501;
inline constexpr int IDS_PLAN_TYPE_METERED = 43502;  // the five charge types, in list order
inline constexpr int IDS_PLAN_TYPE_METERED_FREE = 43503;
inline constexpr int IDS_PLAN_TYPE_METERED_CAP = 43504;
inline constexpr int IDS_PLAN_TYPE_TWO_STAGE = 43505;
inline constexpr int IDS_PLAN_TYPE_FLAT = 43506;
inline constexpr int IDS_PLAN_PACKET_GROUP = 43510;
inline constexpr int IDS_PLAN_PRICE_LABEL = 43511;
inline constexpr int IDS_PLAN_PRICE_UNIT = 43512;
inline constexpr int IDS_PLAN_FREE_PACKETS_LABEL = 43513;
inline constexpr int IDS_PLAN_PACKETS_UNIT = 43514;
inline constexpr int IDS_PLAN_FREE_FEE_LABEL = 43515;
inline constexpr int IDS_PLAN_YEN_UNIT = 43516;
inline constexpr int IDS_PLAN_CAP_LABEL = 43517;
inline constexpr int IDS_PLAN_PACKET_SIZE_LABEL = 43518;
inline constexpr int IDS_PLAN_PACKET_SIZE_UNIT = 43519;
inline constexpr int IDS_PLAN_NOTICE_GROUP = 43520;
inline constexpr int IDS_PLAN_NOTICE_LABEL = 43521;
inline constexpr int IDS_PLAN_RATIO_LABEL = 43522;
inline constexpr int IDS_PLAN_RATIO_UNIT = 43523;
inline constexpr int IDS_PLAN_CLOSING_DAY_LABEL = 43524;
inline constexpr int IDS_PLAN_CLOSING_NONE = 43525;
inline constexpr int IDS_PLAN_CLOSING_DAY_FORMAT = 43526;
inline constexpr int IDS_PLAN_CLOSING_MONTH_END = 43527;
inline constexpr int IDS_PLAN_NOTE = 43528;
// charge plan page: field checks and the questions when it is left
inline constexpr int IDS_PLAN_UNIT_RANGE_CAPTION = 43540;
inline constexpr int IDS_PLAN_UNIT_RANGE_TEXT = 43541;
inline constexpr int IDS_PLAN_PRICE_DIGITS_CAPTION = 43542;
inline constexpr int IDS_PLAN_PRICE_DIGITS_TEXT = 43543;
inline constexpr int IDS_PLAN_PRICE_RANGE_CAPTION = 43544;
inline constexpr int IDS_PLAN_PRICE_RANGE_TEXT = 43545;
inline constexpr int IDS_PLAN_CAP_BELOW_FREE_CAPTION = 43546;
inline constexpr int IDS_PLAN_CAP_BELOW_FREE_TEXT = 43547;
inline constexpr int IDS_PLAN_INCOMPLETE_CAPTION = 43548;
inline constexpr int IDS_PLAN_INCOMPLETE_TEXT = 43549;
inline constexpr int IDS_PLAN_NOTICE_EMPTY_CAPTION = 43550;
inline constexpr int IDS_PLAN_NOTICE_EMPTY_TEXT = 43551;
inline constexpr int IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION = 43552;
inline constexpr int IDS_PLAN_NOTICE_NOT_ABOVE_FREE_TEXT = 43553;
inline constexpr int IDS_PLAN_NOTICE_ABOVE_CAP_CAPTION = 43554;
inline constexpr int IDS_PLAN_NOTICE_ABOVE_CAP_TEXT = 43555;
inline constexpr int IDS_PLAN_CHANGE_CAPTION = 43556;
inline constexpr int IDS_PLAN_CHANGE_TEXT = 43557;
// where the billing period will end at its pace so far
inline constexpr int IDS_PROJECTION_NOTICE_WARNING = 43580;
inline constexpr int IDS_PROJECTION_CAP_WARNING = 43581;
// how much the period may still use per day, and when it would reach each amount
inline constexpr int IDS_PACE_SHORT = 43587;
inline constexpr int IDS_PACE_SHORT_MEAN = 43588;
inline constexpr int IDS_PACE_NAME = 43589;
inline constexpr int IDS_PACE_LINE = 43590;
inline constexpr int IDS_PACE_LINE_NOT_THIS_PERIOD = 43591;
inline constexpr int IDS_PACE_LINE_REACHED = 43592;
inline constexpr int IDS_PACE_LINE_MEAN = 43593;
inline constexpr int IDS_PACE_LINE_MEAN_LAST_DAY = 43594;
inline constexpr int IDS_PACE_DAY_RANGE = 43595;
inline constexpr int IDS_PACE_FREE_ALLOWANCE = 43596;
inline constexpr int IDS_PACE_NOTICE = 43597;
inline constexpr int IDS_PACE_CAP = 43598;
inline constexpr int IDS_PACE_LIMIT = 43599;
// the user's own limit on the period's use, and the warning for a sudden burst
inline constexpr int IDS_LIMIT_WARNING_CAPTION = 43600;
inline constexpr int IDS_LIMIT_WARNING_TEXT = 43601;
inline constexpr int IDS_LIMIT_REACHED_CAPTION = 43602;
inline constexpr int IDS_LIMIT_REACHED_TEXT = 43603;
inline constexpr int IDS_LIMIT_CONNECT_CAPTION = 43604;
inline constexpr int IDS_LIMIT_CONNECT_TEXT = 43605;
inline constexpr int IDS_LIMIT_REFUSED_CAPTION = 43606;
inline constexpr int IDS_LIMIT_REFUSED_TEXT = 43607;
inline constexpr int IDS_BURST_CAPTION = 43608;
inline constexpr int IDS_BURST_TEXT = 43609;
inline constexpr int IDS_LIMIT_CHARGE_AMOUNT = 43610;
inline constexpr int IDS_LIMIT_RANGE_CAPTION = 43611;
inline constexpr int IDS_LIMIT_RANGE_TEXT = 43612;
inline constexpr int IDS_LIMIT_NOT_APPLICABLE_CAPTION = 43613;
inline constexpr int IDS_LIMIT_NOT_APPLICABLE_TEXT = 43614;
// the limit's page of the dial-up settings sheet, and the chart's marks of the day an
// amount would be reached
inline constexpr int IDS_LIMIT_PAGE_TITLE = 43620;
inline constexpr int IDS_LIMIT_KIND_GROUP = 43621;
inline constexpr int IDS_LIMIT_KIND_OFF = 43622;
inline constexpr int IDS_LIMIT_KIND_CHARGE = 43623;
inline constexpr int IDS_LIMIT_KIND_BYTES = 43624;
inline constexpr int IDS_LIMIT_BYTES_UNIT = 43625;
inline constexpr int IDS_LIMIT_WARN_GROUP = 43626;
inline constexpr int IDS_LIMIT_WARN_LABEL = 43627;
inline constexpr int IDS_LIMIT_WARN_UNIT = 43628;
inline constexpr int IDS_LIMIT_BURST_LABEL = 43629;
inline constexpr int IDS_LIMIT_BURST_UNIT = 43630;
inline constexpr int IDS_LIMIT_NOTE = 43631;
inline constexpr int IDS_LIMIT_SAVE_FAILED_CAPTION = 43632;
inline constexpr int IDS_LIMIT_SAVE_FAILED_TEXT = 43633;
inline constexpr int IDS_CHART_REACH = 43640;
inline constexpr int IDS_CHART_REACH_DESCRIPTION = 43641;

// why a dial failed, beside its error number: one sentence each, then the service's own words
inline constexpr int IDS_DIAL_CAUSE_ACCESS_DENIED = 43720;
inline constexpr int IDS_DIAL_CAUSE_INVALID_NAME = 43721;
inline constexpr int IDS_DIAL_CAUSE_ENTRY_NOT_FOUND = 43722;
inline constexpr int IDS_DIAL_CAUSE_NO_KERNEL_PPP = 43723;
inline constexpr int IDS_DIAL_CAUSE_PORT_DISCONNECTED = 43724;
inline constexpr int IDS_DIAL_CAUSE_DISCONNECTION = 43725;
inline constexpr int IDS_DIAL_CAUSE_CANCELLED = 43726;
inline constexpr int IDS_DIAL_CAUSE_TOO_LONG = 43727;
inline constexpr int IDS_DIAL_CAUSE_PORT_NOT_AVAILABLE = 43728;
inline constexpr int IDS_DIAL_CAUSE_UNNAMED = 43729;
inline constexpr int IDS_DIAL_CAUSE_HANGUP_TIMEOUT = 43730;
inline constexpr int IDS_DIAL_CAUSE_CARD_REFUSED = 43731;
inline constexpr int IDS_DIAL_CAUSE_NOT_INSTALLED = 43732;
inline constexpr int IDS_DIAL_CAUSE_BUSY = 43733;
inline constexpr int IDS_DIAL_CAUSE_NO_ANSWER = 43734;
inline constexpr int IDS_DIAL_CAUSE_NOT_REGISTERED = 43735;
inline constexpr int IDS_DIAL_CAUSE_AUTHENTICATION = 43736;
inline constexpr int IDS_DIAL_CAUSE_PPP_TIMEOUT = 43737;
inline constexpr int IDS_DIAL_CAUSE_NO_ADDRESS = 43738;
inline constexpr int IDS_DIAL_CAUSE_UNKNOWN_CODE = 43739;
inline constexpr int IDS_DIAL_CAUSE_DETAIL = 43740;
// the connection diagnosis's sentences (vr31kctl doctor and the diagnosis dialog)
inline constexpr int IDS_DOCTOR_NO_CARD = 43750;
inline constexpr int IDS_DOCTOR_CARD_GIVEN = 43751;
inline constexpr int IDS_DOCTOR_CARD_MISSING = 43752;
inline constexpr int IDS_DOCTOR_FIX_PLUG_IN = 43753;
inline constexpr int IDS_DOCTOR_CARD_NO_TTY = 43754;
inline constexpr int IDS_DOCTOR_FIX_REPLUG_DMESG = 43755;
inline constexpr int IDS_DOCTOR_CARD_OK = 43756;
inline constexpr int IDS_DOCTOR_TTY_MISSING = 43757;
inline constexpr int IDS_DOCTOR_FIX_REPLUG = 43758;
inline constexpr int IDS_DOCTOR_TTY_NOT_DEVICE = 43759;
inline constexpr int IDS_DOCTOR_OWNER = 43760;
inline constexpr int IDS_DOCTOR_TTY_GROUP = 43761;
inline constexpr int IDS_DOCTOR_FIX_UDEV = 43762;
inline constexpr int IDS_DOCTOR_ACCESS_OK = 43763;
inline constexpr int IDS_DOCTOR_ACCESS_JOINED_LATER = 43764;
inline constexpr int IDS_DOCTOR_ACCESS_NOT_MEMBER = 43765;
inline constexpr int IDS_DOCTOR_FIX_LOGIN_AGAIN = 43766;
inline constexpr int IDS_DOCTOR_FIX_JOIN_GROUP = 43767;
inline constexpr int IDS_DOCTOR_PROCESS = 43768;
inline constexpr int IDS_DOCTOR_SOME_PROCESS = 43769;
inline constexpr int IDS_DOCTOR_HELD = 43770;
inline constexpr int IDS_DOCTOR_FIX_END_HOLDER = 43771;
inline constexpr int IDS_DOCTOR_HOLDERS_UNSEEN = 43772;
inline constexpr int IDS_DOCTOR_FIX_SUDO_DOCTOR = 43773;
inline constexpr int IDS_DOCTOR_HOLDERS_NONE = 43774;
inline constexpr int IDS_DOCTOR_LOCK_NONE = 43775;
inline constexpr int IDS_DOCTOR_LOCK_LIVE = 43776;
inline constexpr int IDS_DOCTOR_FIX_END_DIALLER = 43777;
inline constexpr int IDS_DOCTOR_LOCK_STALE = 43778;
inline constexpr int IDS_DOCTOR_LOCK_UNREADABLE = 43779;
inline constexpr int IDS_DOCTOR_MM_NOT_RUNNING = 43780;
inline constexpr int IDS_DOCTOR_MM_RUNS = 43781;
inline constexpr int IDS_DOCTOR_MM_UNKNOWN = 43782;
inline constexpr int IDS_DOCTOR_MM_IGNORES = 43783;
inline constexpr int IDS_DOCTOR_MM_MAY_OPEN = 43784;
inline constexpr int IDS_DOCTOR_SIM_PORT_OPEN_HERE = 43785;
inline constexpr int IDS_DOCTOR_SIM_PORT_NOT_FREE = 43786;
inline constexpr int IDS_DOCTOR_SIM_NOT_OPENED = 43787;
inline constexpr int IDS_DOCTOR_FIX_SUDO_DOCTOR_HOLDER = 43788;
inline constexpr int IDS_DOCTOR_SIM_NO_ANSWER = 43789;
inline constexpr int IDS_DOCTOR_SIM_READY = 43790;
inline constexpr int IDS_DOCTOR_SIM_PIN = 43791;
inline constexpr int IDS_DOCTOR_ATTEMPTS_LEFT = 43792;
inline constexpr int IDS_DOCTOR_SIM_PUK = 43793;
inline constexpr int IDS_DOCTOR_SIM_NOT_INSERTED = 43794;
inline constexpr int IDS_DOCTOR_FIX_INSERT_SIM = 43795;
inline constexpr int IDS_DOCTOR_SIM_BUSY = 43796;
inline constexpr int IDS_DOCTOR_FIX_DOCTOR_AGAIN = 43797;
inline constexpr int IDS_DOCTOR_SIM_UNUSABLE = 43798;
inline constexpr int IDS_DOCTOR_FIX_NEW_SIM = 43799;
inline constexpr int IDS_DOCTOR_FIX_SETUP = 43800;
inline constexpr int IDS_DOCTOR_FIX_INSTALL_DATADIR = 43801;
inline constexpr int IDS_DOCTOR_PPPD_OK = 43802;
inline constexpr int IDS_DOCTOR_PPPD_MISSING = 43803;
inline constexpr int IDS_DOCTOR_PEER_MISSING = 43804;
inline constexpr int IDS_DOCTOR_PEER_UNREADABLE = 43805;
inline constexpr int IDS_DOCTOR_PEER_OLD = 43806;
inline constexpr int IDS_DOCTOR_PEER_OK = 43807;
inline constexpr int IDS_DOCTOR_DIP_ROOT = 43808;
inline constexpr int IDS_DOCTOR_DIP_OK = 43809;
inline constexpr int IDS_DOCTOR_DIP_JOINED_LATER = 43810;
inline constexpr int IDS_DOCTOR_DIP_NOT_MEMBER = 43811;
inline constexpr int IDS_DOCTOR_KERNEL_PPP_OK = 43812;
inline constexpr int IDS_DOCTOR_KERNEL_PPP_MISSING = 43813;
inline constexpr int IDS_DOCTOR_HOOK_MISSING = 43814;
inline constexpr int IDS_DOCTOR_HOOK_OK = 43815;
inline constexpr int IDS_DOCTOR_HOOK_NO_RECORDER = 43816;
inline constexpr int IDS_DOCTOR_FOLDER_MISSING = 43817;
inline constexpr int IDS_DOCTOR_FOLDER_FIRST_USE = 43818;
inline constexpr int IDS_DOCTOR_FOLDER_LINK = 43819;
inline constexpr int IDS_DOCTOR_FOLDER_NOT_FOLDER = 43820;
inline constexpr int IDS_DOCTOR_FOLDER_NO_USE = 43821;
inline constexpr int IDS_DOCTOR_FOLDER_OPEN = 43822;
inline constexpr int IDS_DOCTOR_FOLDER_NOT_SHARED = 43823;
inline constexpr int IDS_DOCTOR_WHAT_HISTORY = 43824;
inline constexpr int IDS_DOCTOR_WHAT_SETTINGS = 43825;
inline constexpr int IDS_DOCTOR_FILE_NOT_YET = 43826;
inline constexpr int IDS_DOCTOR_FILE_OK = 43827;
inline constexpr int IDS_DOCTOR_FILE_UNREADABLE = 43828;
inline constexpr int IDS_DOCTOR_SPACE_UNKNOWN = 43829;
inline constexpr int IDS_DOCTOR_SPACE = 43830;
inline constexpr int IDS_DOCTOR_SPACE_FULL = 43831;
inline constexpr int IDS_DOCTOR_FIX_FREE_SPACE = 43832;
inline constexpr int IDS_DOCTOR_FOLDER_UNUSABLE = 43833;
inline constexpr int IDS_DOCTOR_RUNTIME_MISSING = 43834;
inline constexpr int IDS_DOCTOR_FIX_RUNTIME = 43835;
inline constexpr int IDS_DOCTOR_RUNTIME_OK = 43836;
inline constexpr int IDS_DOCTOR_NO_SYSTEM_BUS = 43837;
inline constexpr int IDS_DOCTOR_NO_LOGIND = 43838;
inline constexpr int IDS_DOCTOR_LOGIND_OK = 43839;
inline constexpr int IDS_DOCTOR_BUS_NOT_LOOKED = 43840;
inline constexpr int IDS_DOCTOR_BUS_OK = 43841;
inline constexpr int IDS_DOCTOR_NO_BUS = 43842;
inline constexpr int IDS_DOCTOR_NO_BUS_AT = 43843;
inline constexpr int IDS_DOCTOR_NO_DESKTOP = 43844;
inline constexpr int IDS_DOCTOR_TRAY_UNKNOWN = 43845;
inline constexpr int IDS_DOCTOR_MM_HAS_CARD_ASKS = 43846;  // ModemManager has the card as its modem
inline constexpr int IDS_DOCTOR_MM_HAS_CARD_REFUSES = 43847;
inline constexpr int IDS_DOCTOR_MM_HAS_CARD_PASSWORD = 43848;
inline constexpr int IDS_DOCTOR_TRAY_OK = 43849;  // the window sees the desktop's tray
inline constexpr int IDS_DOCTOR_NO_TRAY = 43850;
// the lock names a running process that is no dialler and has not the tty open
inline constexpr int IDS_DOCTOR_LOCK_FOREIGN = 43851;
inline constexpr int IDS_DOCTOR_LOCK_UNSEEN = 43852;   // ... whose descriptors cannot be read

// ---- The history views (numbered from 43300).
// history list
inline constexpr int IDS_HISTORY_LIST_CAPTION = 43300;
inline constexpr int IDS_HISTORY_COL_ENTRY = 43301;
inline constexpr int IDS_HISTORY_COL_START = 43302;
inline constexpr int IDS_HISTORY_COL_END = 43303;
inline constexpr int IDS_HISTORY_COL_DURATION = 43304;
inline constexpr int IDS_HISTORY_COL_SENT = 43305;
inline constexpr int IDS_HISTORY_COL_RECV = 43306;
inline constexpr int IDS_HISTORY_COL_LEFT_FREE = 43307;
inline constexpr int IDS_HISTORY_COL_LEFT_LIMIT = 43308;
inline constexpr int IDS_HISTORY_COL_CHARGE = 43309;
inline constexpr int IDS_HISTORY_CLEAR_BUTTON = 43310;
inline constexpr int IDS_HISTORY_CLEAR_CAPTION = 43311;
inline constexpr int IDS_HISTORY_CLEAR_TEXT = 43312;
inline constexpr int IDS_HISTORY_NOTE = 43313;
inline constexpr int IDS_HISTORY_SAVE_CSV = 43314;
inline constexpr int IDS_HISTORY_CSV_FILTER = 43315;
inline constexpr int IDS_HISTORY_CSV_FAILED_CAPTION = 43316;
inline constexpr int IDS_HISTORY_CSV_FAILED_TEXT = 43317;
inline constexpr int IDS_HISTORY_FILTER_LABEL = 43318;
inline constexpr int IDS_HISTORY_CLEAR_FAILED_CAPTION = 43319;
inline constexpr int IDS_HISTORY_CLEAR_FAILED_TEXT = 43320;
// totals per period and per entry
inline constexpr int IDS_TOTALS_MONTH_PAGE = 43330;
inline constexpr int IDS_TOTALS_ENTRY_PAGE = 43331;
inline constexpr int IDS_TOTALS_DURATION = 43332;
inline constexpr int IDS_TOTALS_SENT = 43333;
inline constexpr int IDS_TOTALS_RECV = 43334;
inline constexpr int IDS_TOTALS_CHARGE = 43335;
inline constexpr int IDS_TOTALS_FREE_LEFT = 43336;
inline constexpr int IDS_TOTALS_LIMIT_LEFT = 43337;
inline constexpr int IDS_TOTALS_PERIOD_LIST = 43338;
inline constexpr int IDS_TOTALS_ENTRY_LIST = 43339;
// the period's chart
inline constexpr int IDS_CHART_NAME = 43340;
inline constexpr int IDS_CHART_DAILY_BYTES = 43341;
inline constexpr int IDS_CHART_CHARGE = 43342;
inline constexpr int IDS_CHART_FREE_AMOUNT = 43343;
inline constexpr int IDS_CHART_CAP = 43344;
inline constexpr int IDS_CHART_NOTICE = 43345;
inline constexpr int IDS_CHART_TODAY = 43346;
inline constexpr int IDS_CHART_PROJECTION = 43347;
inline constexpr int IDS_CHART_YEN = 43348;

// the period's projected charge in words (the totals' month page, the status dialog)
inline constexpr int IDS_PROJECTION_LINE = 44200;
inline constexpr int IDS_PROJECTION_LINE_LAST_DAY = 44201;
inline constexpr int IDS_PROJECTION_LINE_NONE = 44202;
inline constexpr int IDS_PROJECTION_NAME = 44203;

// the entry check: the program's entries could not be read (kept by another program)
inline constexpr int IDS_ENTRIES_UNREADABLE_CAPTION = 44250;
inline constexpr int IDS_ENTRIES_UNREADABLE_TEXT = 44251;


// ---- The link's path while it is up: the warning line, the doctor's checks after the
// connection and the checks' names (numbered from 44500).
// the warning line of the status dialog and vr31kctl status, and its tray tip form
inline constexpr int IDS_LINK_WARNING_ROUTE = 44500;
inline constexpr int IDS_LINK_WARNING_ROUTE_AND_NAMES = 44501;
inline constexpr int IDS_LINK_WARNING_NO_ROUTE = 44502;
inline constexpr int IDS_LINK_WARNING_NAMES = 44503;
inline constexpr int IDS_LINK_WARNING_NO_SERVERS = 44504;
inline constexpr int IDS_LINK_TIP_ROUTE = 44505;
inline constexpr int IDS_LINK_TIP_NO_ROUTE = 44506;
inline constexpr int IDS_LINK_TIP_NAMES = 44507;
inline constexpr int IDS_LINK_WARNING_LABEL = 44508;  // the status dialog's warning line, while it has none
// the diagnosis dialog's connection test
inline constexpr int IDS_DIAGNOSIS_TEST_BUTTON = 44510;
inline constexpr int IDS_DIAGNOSIS_TEST_NOTE = 44511;
// the metered check when NetworkManager's primary connection is another
inline constexpr int IDS_DOCTOR_METERED_NOT_PRIMARY = 44512;
inline constexpr int IDS_DOCTOR_FIX_METERED_ROUTE = 44513;
// the doctor's checks of the link that is up
inline constexpr int IDS_DOCTOR_NOT_CONNECTED = 44520;
inline constexpr int IDS_DOCTOR_ROUTE_OK = 44521;
inline constexpr int IDS_DOCTOR_ROUTE_OTHER_DEFAULT = 44522;
inline constexpr int IDS_DOCTOR_ROUTE_LINK_HAS_NONE = 44523;
inline constexpr int IDS_DOCTOR_ROUTE_DIVERTED = 44524;
inline constexpr int IDS_DOCTOR_ROUTE_NONE = 44525;
inline constexpr int IDS_DOCTOR_FIX_ROUTE_OTHER = 44526;
inline constexpr int IDS_DOCTOR_FIX_ROUTE_PPPD = 44527;
inline constexpr int IDS_DOCTOR_FIX_ROUTE_VPN = 44528;
inline constexpr int IDS_DOCTOR_IPUP_HOOK_MISSING = 44529;
inline constexpr int IDS_DOCTOR_IPUP_HOOK_NO_PROGRAM = 44530;
inline constexpr int IDS_DOCTOR_IPUP_HOOK_OK = 44531;
inline constexpr int IDS_DOCTOR_DNS_NO_SERVERS = 44532;
inline constexpr int IDS_DOCTOR_FIX_DNS_PEER = 44533;
inline constexpr int IDS_DOCTOR_DNS_USED = 44534;
inline constexpr int IDS_DOCTOR_DNS_NOT_USED = 44535;
inline constexpr int IDS_DOCTOR_DNS_UNKNOWN = 44536;
inline constexpr int IDS_DOCTOR_FIX_DNS_HOOK = 44537;
inline constexpr int IDS_DOCTOR_FIX_DNS_RESOLVCONF = 44538;
inline constexpr int IDS_DOCTOR_FIX_DNS_RESOLVED = 44539;
inline constexpr int IDS_DOCTOR_HOOK_SAID = 44540;
inline constexpr int IDS_DOCTOR_MANAGER_FILE = 44541;
inline constexpr int IDS_DOCTOR_MANAGER_MISSING = 44542;
inline constexpr int IDS_DOCTOR_MANAGER_OTHER = 44543;
inline constexpr int IDS_DOCTOR_DNS_NONE_USED = 44544;
inline constexpr int IDS_DOCTOR_METERED_NO_BUS = 44545;
inline constexpr int IDS_DOCTOR_METERED_NO_NM = 44546;
inline constexpr int IDS_DOCTOR_METERED_ERROR = 44547;
inline constexpr int IDS_DOCTOR_METERED_YES = 44548;
inline constexpr int IDS_DOCTOR_METERED_NO = 44549;
inline constexpr int IDS_DOCTOR_FIX_METERED_SETTING = 44550;
inline constexpr int IDS_DOCTOR_FIX_METERED_REFUSED = 44551;
inline constexpr int IDS_DOCTOR_FIX_METERED_FAILED = 44552;
inline constexpr int IDS_DOCTOR_FIX_HOOK_DID_NOT_RUN = 44553;
inline constexpr int IDS_DOCTOR_TEST_NO_SERVER = 44554;
inline constexpr int IDS_DOCTOR_TEST_NOT_SENT = 44555;
inline constexpr int IDS_DOCTOR_TEST_OK = 44556;
inline constexpr int IDS_DOCTOR_TEST_BAD_ANSWER = 44557;
inline constexpr int IDS_DOCTOR_TEST_NO_ANSWER = 44558;
inline constexpr int IDS_DOCTOR_FIX_TEST_NO_ANSWER = 44559;
// the names of the doctor's checks, in the diagnosis dialog and vr31kctl doctor's plain report
inline constexpr int IDS_CHECK_NAME_CARD = 44560;
inline constexpr int IDS_CHECK_NAME_TTY = 44561;
inline constexpr int IDS_CHECK_NAME_TTY_ACCESS = 44562;
inline constexpr int IDS_CHECK_NAME_TTY_HOLDERS = 44563;
inline constexpr int IDS_CHECK_NAME_TTY_LOCK = 44564;
inline constexpr int IDS_CHECK_NAME_MODEMMANAGER = 44565;
inline constexpr int IDS_CHECK_NAME_SIM = 44566;
inline constexpr int IDS_CHECK_NAME_PPPD = 44567;
inline constexpr int IDS_CHECK_NAME_PPPD_PEER = 44568;
inline constexpr int IDS_CHECK_NAME_DIP = 44569;
inline constexpr int IDS_CHECK_NAME_KERNEL_PPP = 44570;
inline constexpr int IDS_CHECK_NAME_IP_UP_HOOK = 44571;
inline constexpr int IDS_CHECK_NAME_IP_DOWN_HOOK = 44572;
inline constexpr int IDS_CHECK_NAME_DATA_FOLDER = 44573;
inline constexpr int IDS_CHECK_NAME_DISK_SPACE = 44574;
inline constexpr int IDS_CHECK_NAME_RUNTIME_FOLDER = 44575;
inline constexpr int IDS_CHECK_NAME_LOGIND = 44576;
inline constexpr int IDS_CHECK_NAME_SESSION_BUS = 44577;
inline constexpr int IDS_CHECK_NAME_TRAY = 44578;
inline constexpr int IDS_CHECK_NAME_DEFAULT_ROUTE = 44579;
inline constexpr int IDS_CHECK_NAME_LINK_DNS = 44580;
inline constexpr int IDS_CHECK_NAME_METERED = 44581;
inline constexpr int IDS_CHECK_NAME_CONNECTION_TEST = 44582;
inline constexpr int IDS_CHECK_NAME_KEPT_OFF = 44583;

// per-program counting on the card's link: traffic no program can be named for
inline constexpr int IDS_PROGRAM_OTHER = 44700;

// the totals sheet's page of programs
inline constexpr int IDS_TOTALS_PROGRAM_PAGE = 44750;
inline constexpr int IDS_PROGRAM_LIST = 44751;
inline constexpr int IDS_PROGRAM_COL_NAME = 44752;
inline constexpr int IDS_PROGRAM_COL_KIND = 44753;
inline constexpr int IDS_PROGRAM_COL_SENT = 44754;
inline constexpr int IDS_PROGRAM_COL_RECV = 44755;
inline constexpr int IDS_PROGRAM_COL_BLOCKED = 44756;
inline constexpr int IDS_PROGRAM_COL_CHARGE = 44757;
inline constexpr int IDS_PROGRAM_KIND_UNIT = 44758;
inline constexpr int IDS_PROGRAM_KIND_APP = 44759;
inline constexpr int IDS_PROGRAM_KIND_SCOPE = 44760;
inline constexpr int IDS_PROGRAM_NOTE = 44762;
inline constexpr int IDS_PROGRAM_PERIOD_NONE = 44763;
inline constexpr int IDS_PROGRAM_PERIOD_SOME = 44764;

// the status dialog's programs
inline constexpr int IDS_PROGRAM_LINK_NONE = 44765;
inline constexpr int IDS_PROGRAM_TOP_GROUP = 44766;
inline constexpr int IDS_PROGRAM_TOP_LINE = 44767;
inline constexpr int IDS_PROGRAM_TOP_TIME = 44768;

// the dial-up settings' page of programs kept off the card's link
inline constexpr int IDS_BLOCK_PAGE = 44770;
inline constexpr int IDS_BLOCK_LIST = 44771;
inline constexpr int IDS_BLOCK_NOTE = 44772;
inline constexpr int IDS_BLOCK_NONE = 44773;
inline constexpr int IDS_BLOCK_WRITE_FAILED_CAPTION = 44774;
inline constexpr int IDS_BLOCK_WRITE_FAILED_TEXT = 44775;
inline constexpr int IDS_BLOCK_READ_FAILED = 44776;

// the doctor's check of the programs kept off the card's link
inline constexpr int IDS_DOCTOR_BLOCK_NONE = 44780;
inline constexpr int IDS_DOCTOR_BLOCK_LIST = 44781;
inline constexpr int IDS_DOCTOR_BLOCK_BAD = 44782;
inline constexpr int IDS_DOCTOR_BLOCK_FIX = 44783;

}  // namespace vr31k::ids
