#include "common/StringTable.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>

namespace vr31k {

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Ascending by id, so a lookup is a binary search. Message boxes take their caption and
// text from two consecutive ids. Texts are stored exactly as shown, including the blanks
// before a line break or at the end, which some boxes use for spacing.
constexpr StringEntry kStrings[] = {
    // system menu item and the main window's class name
    {101, "バージョン情報(&A)..."},
    {102, "KORVANE VR31K Utility"},
    // start-up refusal: another user runs the program
    {103, "同時複数ユーザ 利用不可"},
    {104, "「KORVANE VR31K ユーティリティ」は、現在別のユーザが利用中です。\n\n"
          "別のユーザにて「KORVANE VR31K ユーティリティ」を終了してから、再度起動してください。"},
    // version dialog; the version number is appended
    {105, "ユーティリティバージョン: Ver "},
    // card check: port and card identity
    {106, "通信ポートオープンエラー"},
    {107, "データ端末の通信ポートが利用できませんでした。\n\n"
          "他のアプリケーションによるデータ端末の利用状況をご確認ください。"},
    {108, "データカードの確認"},
    {109, "このユーティリティではご利用いただけない機器が接続されています。"},
    // SIM state and SIM code entry
    {110, "KV chip（USIMカード）の確認"},
    {111, "サポートされていないKV chip（USIMカード）が挿入されています。"},
    {112, "PUKロック"},
    {113, "KV chip（USIMカード）がロックされています。\n\n"
          "ご契約先の問合せ窓口までご連絡ください。"},
    {114, "KV chip（USIMカード）エラー"},
    {115, "KV chip（USIMカード）が故障しています。\n\n"
          "ご契約先の問合せ窓口までご連絡ください。"},
    {116, "入力確認"},
    {117, "正しくPINコードを入力してください。\n"
          "(4～8桁の数字を入力)"},
    {118, "PINコード不一致"},
    {119, "PINコードが正しくありません。\n\n"
          "再度入力してください。"},
    {120, "PINロック"},
    {121, "KV chip（USIMカード）がロックされました。\n"
          "ロックを解除するには、PINロック解除コード(PUKコード)が必要になります。\n\n"
          "ご契約先の問合せ窓口までご連絡ください。"},
    {122, "KV chip（USIMカード）未挿入"},
    {123, "KV chip（USIMカード）が入っていません。"},
    {124, "入力PINコード不一致"},
    {125, "新しいPINコードと確認用PINコードが一致していません。\n"
          "もう一度、入力し直してください。"},
    {126, "PUKロック"},
    {127, "KV chip（USIMカード）が完全にロックされました。\n\n"
          "ご契約先の問合せ窓口までご連絡ください。"},
    // utility settings: questions
    {128, "電波状態の常時確認"},
    {129, "ユーティリティにて電波状態の確認中は、\n"
          "ユーティリティ以外からのダイヤルアップ接続が\n"
          "できなくなります。\n\n"
          "よろしいですか?"},
    {130, "OS起動時の自動起動OFF"},
    {131, "ユーティリティが起動していない状態では、\n"
          "パケットカウントが正常に行われません。\n\n"
          "よろしいですか?"},
    // menu item captions switched at run time (signal display, connect/disconnect)
    {132, "電波状態表示"},
    {133, "電波状態表示(ワンクリック)"},
    {134, "接続"},
    {135, "切断"},
    // card removal
    {136, "データカードの取り外し"},
    {137, "データカードの取り外しが可能な状態になりました。"},
    {138, "データカードの取り外し不可"},
    {139, "デバイスの取り外しができませんでした。\n"
          "データカードの使用状況をご確認ください。"},
    // property sheet captions
    {140, "ダイヤルアップ設定"},
    {147, "通信集計"},
    // APN synchronisation outcome
    {152, "ダイヤルアップ接続設定の同期中止"},
    {153, "ダイヤルアップ接続の同期設定を中止しました。"},
    {158, "ダイヤルアップ接続先の設定完了"},
    {159, "ダイヤルアップ接続先の設定が完了しました。"},
    // dial progress
    {161, "通信ポートを開いています..."},
    {162, "接続しています..."},
    {163, "接続しました"},
    {164, "認証しています..."},
    {165, "認証しました"},
    {166, "接続完了しました"},
    // connect, disconnect and exit
    {167, "ユーティリティ終了確認"},
    {168, "現在通信中ですが、通信を切断して\n"
          "ユーティリティを終了してもよろしいですか?"},
    {169, "通信切断の確認"},
    {170, "ダイヤルアップ通信を切断します。  \n\n"
          "よろしいですか?"},
    {171, "ダイヤルアップ接続失敗"},
    {172, "ダイヤルアップ接続に失敗しました。  \n"
          "(エラー： %d)"},
    {173, "パケット通信料通知(事前通知)"},
    {174, "パケット通信料が設定金額に到達しました。 "},
    {179, "接続開始確認"},
    {180, "\"%s\" へ接続を開始します。  \nよろしいですか?"},
    // main window button captions switched at run time
    {181, "電波状態の確認(ワンクリック)(&A)"},
    {182, "電波状態の確認(&A)"},
    {183, "電波状態の確認中止(ワンクリック)(&A)"},
    {184, "電波状態の確認中止(&A)"},
    {185, "接続(&C)"},
    {186, "切断(&D)"},
    // utility settings: display time checks
    {187, "入力値の確認"},
    {188, "設定値には、数字(0～9)を入力してください。\n"
          "(負数も入力できません。)"},
    {189, "入力値の確認"},
    {190, "%d から %d までの整数を入力してください。"},
    // shared communication and write errors
    {195, "通信異常"},
    {196, "端末と正常に通信できませんでした。"},
    {197, "設定異常"},
    {198, "正しく書き込みが行われませんでした。"},
    // PUK entry
    {199, "PINロック解除コード(PUKコード)不一致"},
    {200, "PINロック解除コード(PUKコード)が正しくありません。\n\n"
          "再度入力してください。"},
    // program title (tray tip, line-lost caption) and line lost
    {201, "KORVANE VR31K ユーティリティ"},
    {203, "ダイヤルアップ接続が切断されました。"},
    // PIN change refused while the PIN lock is off
    {208, "PINコード変更不可"},
    {209, "PINコードを変更することができませんでした。\n\n"
          "PINコードを変更するためには、PINコード認証を有効にする必要があります。\n"
          "PINコード認証の設定状況をご確認願います。"},
    // dial aborted, no signal
    {212, "ダイヤルアップ接続中断"},
    {213, "ダイヤルアップ接続を中断しました。  \n"
          "(コード： %d)"},
    {214, "圏外接続"},
    {215, "圏外ですのでダイヤルアップ接続できません。"},
    // start-up refusals: guest account, old system
    {220, "ゲストユーザ 利用不可"},
    {221, "「KORVANE VR31K ユーティリティ」は、ゲストユーザ権限では利用できません。"},
    {222, "非対応OS 利用不可"},
    {223, "「KORVANE VR31K ユーティリティ」は、Windows 2000以上のオペレーティング・システムでのみ動作します。\n"
          "（Windows 95/98/Me/NTでは動作致しません。）"},
    // standby refusals: card work (239), dial-up settings with the port open (240) or closed (241)
    {238, "KORVANE VR31K ユーティリティ"},
    {239, "PCがスタンバイに移行しようとしましたが、PINコードの\n"
          "認証設定中のため移行できません。"},
    {240, "PCがスタンバイに移行しようとしましたが、ダイヤルアップの\n"
          "設定中のため移行できません。"},
    {241, "PCがスタンバイに移行しようとしましたが、ダイヤルアップの\n"
          "設定中のため移行できません。"},

    // ---- Menu resources, not string resources: the captions of the main menu and the
    // tray menu as their templates carry them, keyed by command id so the menus can be
    // built from this table. Run-time captions use the string ids above.
    // main menu
    {32785, "電波状態表示"},  // dropped from the menu at start; the tray menu has it
    {32787, "取り外し"},
    {32788, "接続"},  // switched with 134/135 while a connection is up
    {32789, "終了"},
    {32790, "ユーティリティ設定"},
    {32791, "ダイヤルアップ設定"},
    {32792, "PIN有効/無効"},
    {32793, "PINコード変更"},
    {32794, "ダイヤルアップ状態"},
    {32795, "通信履歴"},
    {32796, "通信集計"},
    {32797, "カード情報"},
    {32801, "ユーティリティ バージョン"},
    {32802, "ユーティリティ ヘルプ"},
    // tray menu
    {32805, "電波状態表示"},
    {32806, "接続"},
    {32807, "取り外し"},
    {32808, "ダイヤルアップ状態"},
    {32809, "メイン画面"},

    // ---- Texts the program shows without a resource id of its own; numbered here from
    // 41000 so every message box still names its texts by id.
    // dial-up entry page: reset and delete
    {41000, "ダイヤルアップ接続先設定の初期化"},
    {41001, "ダイヤルアップ接続先設定を工場出荷状態に初期化します。\n\nよろしいですか?"},
    {41002, "ダイヤルアップ接続先設定の削除"},
    {41003, "以下のダイヤルアップ接続先設定を削除します。\n\n    [%s]\n\nよろしいですか?"},
    {41004, "ダイヤルアップ接続先設定の削除不可"},
    {41005, "#1のダイヤルアップ設定は削除できません\nダイヤルアップ接続先を \"%s\" に設定します。\n\nよろしいですか?"},
    // dial-up entry edit: checks of name, user name and password (one caption for all)
    {41010, "設定の確認"},
    {41011, "接続先名を入力してください。"},
    {41012, "接続先名が不正です。\n\n接続先名は、\n    英数字 ／ \"-\" ／ \".\" のみ\n"
            "    (先頭および末端の \"-\" ／ \".\" は不可)    \nで入力してください。"},
    {41013, "他の接続先名と重複しています\n接続先名を再度入力してください。"},
    {41014, "接続先名が長すぎます。\n100文字以下で入力してください。"},
    {41015, "ユーザ名が長すぎます。\n%d文字以下で入力してください。"},
    {41016, "パスワードが長すぎます。\n%d文字以下で入力してください。"},
    // dial-up entry edit: the entry was moved back onto the card's modem
    {41020, "接続方法の変更"},
    {41021, "ダイヤルアップ接続方法には、「KORVANE VR31K Modem」以外のモデムは設定できません。\n\n"
            "接続方法を「KORVANE VR31K Modem」に変更しました。"},
    // APN synchronisation with the card
    {41030, "ダイヤルアップ接続設定の同期中止"},
    {41031, "ダイヤルアップ接続の同期設定を行わない場合、\nユーティリティからのダイヤルアップ接続ができなくなります。\n\nよろしいですか?"},
    {41032, "ダイヤルアップ接続先の初期化"},
    {41033, "ダイヤルアップ接続先を初期化します。\n(工場出荷状態へ戻します。)\n\nよろしいですか?"},
    {41034, "ダイヤルアップ接続先の設定"},
    {41035, "ユーティリティのダイヤルアップ接続先(APN)を  \nデータカードへコピーします。\n\nよろしいですか?"},
    // message-box buttons
    {42000, "OK"},
    {42001, "キャンセル"},
    {42002, "はい(&Y)"},
    {42003, "いいえ(&N)"},
    // the main window's menus, labels and controls
    {42010, "カード"},
    {42011, "設定"},
    {42012, "ヘルプ"},
    {42013, "接続先 :"},
    {42014, "接続時間 :"},
    {42015, "送受信データ量 :"},
    {42016, "取り外し(&E)"},
    {42017, "カードの状態"},
    {42018, "この画面はまだありません。"},
    // the connection's balloon, and a hang-up that did not finish
    {42020, "接続完了"},
    {42021, "接続先: "},
    {42022, "通信切断の失敗"},
    {42023, "ダイヤルアップ通信を切断できませんでした。  \n(コード： %d)"},
    // the state picture in words, for screen readers
    {42030, "データカードなし"},
    {42031, "データカードあり (前回の操作に失敗)"},
    {42032, "KV chip（USIMカード）未挿入"},
    {42033, "サポートされていないKV chip（USIMカード）"},
    {42034, "PINコード未入力"},
    {42035, "PUKコード入力待ち"},
    {42036, "KV chip（USIMカード）ロック"},
    {42037, "KV chip（USIMカード）故障"},
    {42038, "使用可能"},
    {42039, "電波状態表示中"},
    {42040, "ダイヤルアップ接続中"},
    {42041, "他のアプリケーションで接続中"},
    {42042, "圏外"},
    {42043, "電波レベル %d"},
    {42044, "共有データフォルダー %s は、グループ「%s」に入っている利用者が使います。あなたはこのグループに入っていないため、"
            "設定と通信履歴は保存されません。\n\n端末で次のコマンドを実行してから、ログインし直してください。\n"
            "sudo adduser %s %s"},
    {42045, "共有データフォルダー %s は、グループ「%s」に入っている利用者が使います。グループへの参加は次のログインから有効になる"
            "ため、今は設定と通信履歴は保存されません。\n\nログアウトして、ログインし直してください。"},
    {42046, "データフォルダーを使用できないため、設定と通信履歴は保存されません。\n\n%s"},
    {42047, "データフォルダー %s は、このコンピューターのすべての利用者が書き込める状態です。\n\n%s"},
    {42048, "通信履歴 %s を開けないため、通信は記録されません (%s)。\n\n%s"},
    {42049, "通信履歴 %s を読み取れなかったため、%s として残し、新しい通信履歴を始めました。"},
    {42050, "設定のポート名 %s は安全に使えないため使用せず、カードを検索します。\n\n%s"},
    {42051, "別の起動 (%s) が起動の処理を終えないため、起動を中止しました。"},
    {42052, "接続先のユーザー名とパスワードのファイル %s が壊れていたため、%s として残し、接続先を電話帳から取り戻します。"
            "ユーザー名とパスワードは電話帳に保存されているものになります。"},
    {42053, "設定ファイルを読み取れないため、既定の設定で起動します。\n\n%s"},
    {42054, "接続先のユーザー名とパスワードのファイル %s が壊れていて、別の名前で残すこともできないため、そのままにします。"
            "このファイルを移動するまで、接続先は変更できません。"},
    // ---- Dialog captions and control labels, numbered from 42100; the attempts count
    // format is shared by the three SIM code dialogs.
    // PIN entry
    {42100, "PINコード認証"},
    {42101, "PINコードを入力してください。"},
    {42102, "PINコード入力可能残数 :"},
    {42103, "%d 回"},
    {42104, "PINコード"},  // the field's name for screen readers; it has no label of its own
    // PUK entry
    {42110, "PINロック解除認証"},
    {42111, "PINロック解除コード(PUKコード)と、新しいPINコードを入力してください。"},
    {42112, "PINロック解除コード入力可能残数 :"},
    {42113, "PINロック解除コード(PUKコード)"},  // the PUK field's name, as 42104
    {42114, "新しいPINコード"},
    {42115, "新しいPINコードの確認"},
    // PIN lock
    {42120, "PINコード認証設定"},
    {42121, "PINコード認証"},
    {42122, "起動時にPINコード認証を行う"},
    {42123, "起動時にPINコード認証を行わない"},
    // PIN change
    {42130, "PINコード変更"},
    {42131, "入力可能残数 :"},
    {42132, "現在のPINコード :"},
    {42133, "新しいPINコード :"},
    {42134, "新しいPINコードの確認 :"},
    // utility settings
    {42140, "ユーティリティ設定"},
    {42141, "OS起動時にユーティリティを自動起動する"},
    {42142, "ユーティリティ起動時にタスクトレイ表示する"},
    {42143, "PCへのデータ端末挿入時にユーティリティを最前面表示する"},
    {42144, "電波状態表示設定"},
    {42145, "電波状態を常時確認する"},
    {42146, "電波状態をワンクリック確認する"},
    {42147, "表示タイマー設定 :"},
    {42148, "秒"},
    // card information
    {42150, "データカード情報"},
    {42151, "電話番号 :"},
    {42152, "ソフトウェアバージョン :"},
    // version
    {42160, "バージョン情報 KORVANE VR31K ユーティリティ"},
    {42161, "本ソフトウェアの著作権は、その開発者に帰属します。\n"
            "許可なく複製・改変・再配布することはできません。"},
    {42162, "アプリケーションのアイコン"},
    // connection diagnosis
    {42170, "接続の診断"},
    {42171, "接続の診断"},
    {42172, "診断の結果"},
    {42173, "項目"},
    {42174, "結果"},
    {42175, "内容"},
    {42176, "対処"},
    {42177, "正常"},
    {42178, "注意"},
    {42179, "失敗"},
    {42180, "不明"},
    {42181, "確認しています..."},
    {42182, "失敗 %d 件、注意 %d 件"},
    {42183, "コピー(&C)"},
    {42184, "接続の診断(&D)"},
    {42185, "原因: %s"},
    // connecting
    {43000, "接続しています..."},
    {43001, "接続しています"},
    {43002, "接続中の図"},
    // disconnecting
    {43010, "通信切断中"},
    {43011, "ダイヤルアップ通信を切断しています"},
    // the connection's figures: result and status
    {43020, "今回の利用状況"},
    {43021, "通信結果"},
    {43022, "ダイヤルアップ通信状態"},
    {43023, "通信状態"},
    {43024, "料金"},
    {43025, "通信時間 :"},
    {43026, "送信データ量 :"},
    {43027, "受信データ量 :"},
    {43028, "概算料金 :"},
    {43029, "パケット無料通信料 残量 :"},
    {43030, "パケット定額料 残量 :"},
    // The second line is indented with seven ideographic spaces (U+3000).
    {43031, "※ご注意 : 通信料金などについては目安であり、\n"
            "　　　　　　　実際の請求額とは異なる場合があります。"},
    // ---- Dial-up settings sheet, entry edit and synchronisation dialogs, from 43100
    // the sheet and the entry page
    {43100, "閉じる"},
    {43101, "接続先設定"},
    {43102, "現在の接続先 :"},
    {43103, "#"},
    {43104, "ダイヤルアップ接続先(APN)"},
    {43105, "初期化"},
    {43106, "削除"},
    {43107, "編集"},
    {43108, "追加"},
    {43109, "ダイヤルアップ接続先の一覧"},  // the list's name for screen readers
    // entry edit
    {43110, "ダイヤルアップ接続先設定"},
    {43111, "接続先名 :"},
    {43112, "ユーザ名 :"},
    {43113, "パスワード :"},
    {43114, "ダイヤル :"},
    // synchronisation: the three ways
    {43120, "ダイヤルアップ設定の同期"},
    {43121, "ユーティリティのダイヤルアップ接続先(APN)と、データ端末に設定されている\n"
            "接続先(APN)が一致していません。一致するまでダイヤルアップ接続はできません。\n\n"
            "どちらに合わせるかを選んでください。\n"
            "  初期化 : 両方を工場出荷状態の接続先に戻します。\n"
            "  ユーティリティ設定 ⇒ データ端末 : ユーティリティの接続先をデータ端末に書き込みます。\n"
            "  データ端末 ⇒ ユーティリティ設定 : データ端末の接続先をユーティリティに取り込みます。"},
    {43122, "ユーティリティ設定 ⇒ データ端末"},
    {43123, "データ端末 ⇒ ユーティリティ設定"},
    {43124, "警告"},
    // synchronisation: the card's entries one by one
    {43130, "ダイヤルアップ接続先変更の一覧"},
    {43131, "変更"},
    {43132, "データ端末の接続先(APN)ごとに、「変更」でユーザ名とパスワードを入力するか、\n"
            "「削除」を選んでください。すべて済むとOKを押せます。"},
    // ---- The history views: list, totals and the period's chart (numbered from 43300).
    // history list
    {43300, "通信履歴"},
    {43301, "接続先"},
    {43302, "開始日時"},
    {43303, "終了日時"},
    {43304, "通信時間"},
    {43305, "送信データ量"},
    {43306, "受信データ量"},
    {43307, "ﾊﾟｹｯﾄ無料通信料 残量"},
    {43308, "ﾊﾟｹｯﾄ定額料 残量"},
    {43309, "概算金額"},
    {43310, "履歴消去"},
    {43311, "履歴データ消去"},
    {43312, "通信履歴を消去してもよろしいですか?"},
    {43313, "※ご注意 : 通信料金などについては目安であり、\n　　　　　　　実際の請求額とは異なる場合があります。"},
    {43314, "CSV に保存"},
    {43315, "CSV ファイル (*.csv)"},
    {43316, "CSV に保存"},
    {43317, "ファイルに保存できませんでした。\n\n%s"},
    {43318, "接続先で絞り込み :"},
    {43319, "履歴データ消去"},
    {43320, "通信履歴を消去できませんでした。"},
    // totals per period and per entry
    {43330, "月別"},
    {43331, "接続先別"},
    {43332, "通信時間 :"},
    {43333, "送信データ量 :"},
    {43334, "受信データ量 :"},
    {43335, "概算料金 :"},
    {43336, "パケット無料通信料 残量 :"},
    {43337, "パケット定額料 残量 :"},
    {43338, "集計期間"},
    {43339, "接続先"},
    // the period's chart
    {43340, "期間中の利用状況"},
    {43341, "日別データ量"},
    {43342, "概算料金(累計)"},
    {43343, "無料通信料"},
    {43344, "定額上限"},
    {43345, "通知金額"},
    {43346, "今日"},
    {43347, "予測"},
    {43348, "円"},
    // charge plan page: controls
    {43500, "料金プラン設定"},
    {43501, "課金方式 :"},
    {43502, "従量"},
    {43503, "従量(無料通信料あり)"},
    {43504, "従量(定額あり)"},
    {43505, "２段階定額"},
    {43506, "定額"},
    {43510, "パケット課金設定"},
    {43511, "パケット単位料金 :"},
    {43512, "円／パケット"},
    {43513, "無料パケット量 :"},
    {43514, "パケット"},
    {43515, "パケット無料通信料 :"},
    {43516, "円"},
    {43517, "パケット定額料 :"},
    {43518, "※1パケット ="},
    {43519, "バイトで計算"},
    {43520, "通信料通知設定"},
    {43521, "通知金額 :"},
    {43522, "設定値の"},
    {43523, "％ に達したら警告する"},
    {43524, "積算料金の締日 :"},
    {43525, "リセットしない"},
    {43526, "%d日"},
    {43527, "末日"},
    {43528, "※ご注意 : カウントされる通信料金などについては目安であり、\n"
            "\u3000\u3000\u3000\u3000\u3000\u3000\u3000実際の請求額とは異なる場合があります。"},
    // charge plan page: field checks and the questions when it is left
    {43540, "入力値の確認"},
    {43541, "%d%s から %d%s までの整数を入力してください。"},
    {43542, "入力値の確認"},
    {43543, "設定値には、数字を入力してください。\n(負数も入力できません。)"},
    {43544, "入力値の確認"},
    {43545, "%s から %s までの数字を入力してください。"},  // printed "%1.3f" and "%5.0f"
    {43546, "パケット課金設定の確認"},
    {43547, "パケット定額料がパケット無料通信料未満に設定されています。\nパケット課金設定を確認してください。"},
    {43548, "設定値の未入力確認"},
    {43549, "課金方式に対応するパケット課金設定項目に未入力の項目があります。\n"
            "全ての設定項目が設定されない場合は、通信料金などのカウントは行われません。\n\nよろしいですか?"},
    {43550, "設定値の未入力確認"},
    {43551, "通信料通知設定に未入力の項目があります。\n"
            "全ての設定項目が設定されない場合は、通信料通知は行われません。\n\nよろしいですか?"},
    {43552, "通信料通知設定の確認"},
    {43553, "通信料通知設定が、パケット無料通信料以下の金額に設定されています。\n"
            "入力された設定では、通信料通知は行われません。\n\nよろしいですか?"},
    {43554, "通信料通知設定の確認"},
    {43555, "通信料通知設定が、パケット定額料を超える金額に設定されています。\n"
            "入力された設定では、通信料通知は行われません。\n\nよろしいですか?"},
    {43556, "料金プラン設定の確認"},
    {43557, "設定した料金プランにて通信料金のカウントを  \n開始しますか?"},
    // where the billing period will end at its pace so far (one line each)
    {43580, "このままのペースでは、締日までに通信料通知の金額(%s円)に達する見込みです。"},
    {43581, "このままのペースでは、締日までにパケット定額料(%s円)に達する見込みです。"},
    // how much the period may still use per day, and when it would reach each amount
    {43587, "1日あと %s"},
    {43588, "1日平均 %s"},
    {43589, "利用ペース"},
    {43590, "%sまで 1日あたり %s (このペースでは %s 頃に到達)"},
    {43591, "%sまで 1日あたり %s (このペースでは締日までに到達しません)"},
    {43592, "%sに到達しています"},
    {43593, "1日平均 %s (あと %d 日)"},
    {43594, "1日平均 %s (本日締め)"},
    {43595, "%s～%s"},
    {43596, "無料通信分"},
    {43597, "通信料通知"},
    {43598, "パケット定額料"},
    {43599, "利用上限"},
    // the user's own limit on the period's use, and the warning for a sudden burst
    {43600, "利用上限の事前通知"},
    {43601, "この期間の通信量が利用上限(%s)の %d％ に達しました。\n利用上限に達すると接続を切断します。"},
    {43602, "利用上限による切断"},
    {43603, "この期間の通信量が利用上限(%s)に達したため、接続を切断しました。\n"
            "続けて接続する場合は、利用上限の設定を変更するか、超過して接続してください。"},
    {43604, "利用上限の確認"},
    {43605, "この期間の通信量は利用上限(%s)に達しています。\nあと %s まで超過して接続しますか?"},
    {43606, "利用上限の確認"},
    {43607, "この期間の通信量が利用上限(%s)に達しているため、接続しません。"},
    {43608, "通信量の急増"},
    {43609, "直近10分間の通信量が %s を超えました。"},
    {43610, "%s円"},
    {43611, "入力値の確認"},
    {43612, "%s から %s までの値を入力してください。"},
    {43613, "利用上限設定の確認"},
    {43614, "現在の料金プランでは、通信料金が利用上限の金額に達することはありません。\n"
            "パケット課金設定を確認するか、通信量で利用上限を設定してください。"},
    // the limit's page of the dial-up settings sheet
    {43620, "利用上限設定"},
    {43621, "利用上限"},
    {43622, "設定しない"},
    {43623, "金額で設定する"},
    {43624, "通信量で設定する"},
    {43625, "バイト (k・M・G・T 単位も可、例: 2G)"},
    {43626, "警告"},
    {43627, "利用上限の"},
    {43628, "％ に達したら警告する (0: 警告しない)"},
    {43629, "10分間の通信量が"},
    {43630, "バイトを超えたら警告する (0: 警告しない)"},
    {43631, "※利用上限に達すると接続を切断します。\n"
            "※金額での設定は、料金プラン設定の課金方式が「定額」のときは使えません。"},
    {43632, "利用上限設定の保存"},
    {43633, "利用上限の設定を保存できませんでした。\n\n%s"},
    // the chart's mark of the day an amount would be reached at the period's pace
    {43640, "%sの到達予想 %s"},
    {43641, "このままのペースでは、%sに %s 頃に到達する見込みです。"},
    // the period's projected charge in words
    {44200, "この期間の予想金額: 約 %s 円 (あと %d 日)"},
    {44201, "この期間の予想金額: 約 %s 円 (本日締め)"},
    {44202, "この期間の予想金額: ---"},
    {44203, "予想金額"},
};

constexpr bool IdsStrictlyAscending() {
    for (std::size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id) return false;
    }
    return true;
}
static_assert(IdsStrictlyAscending(), "string ids must be unique and in ascending order");

const StringEntry* Find(int id) {
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const StringEntry& e, int key) { return e.id < key; });
    if (it == std::end(kStrings) || it->id != id) return nullptr;
    return it;
}

// Length of the conversion that follows a '%' (without the '%'), or 0 when it is not one
// the texts use. The arguments arrive already formatted, so only the kind matters.
std::size_t ConversionLength(std::string_view rest) {
    if (rest.empty()) return 0;
    switch (rest[0]) {
        case 's':
        case 'd':
        case 'u':
        case 'x':
            return 1;
        case 'l':
            return rest.size() >= 2 && (rest[1] == 'd' || rest[1] == 'u') ? 2 : 0;
        default:
            return 0;
    }
}

}  // namespace

std::string_view LoadString(int id) {
    const StringEntry* entry = Find(id);
    return entry ? entry->text : std::string_view{};
}

bool HasString(int id) {
    return Find(id) != nullptr;
}

namespace detail {

// The substitution behind FormatString, on any text. Not in the header; the tests declare
// it themselves to reach cases no table text has, such as "%%".
template <typename Args>
std::string FormatArgs(std::string_view text, const Args& args) {
    std::string out;
    out.reserve(text.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::string_view rest = text.substr(i + 1);
        if (!rest.empty() && rest[0] == '%') {
            out += '%';
            ++i;
            continue;
        }
        const std::size_t length = ConversionLength(rest);
        if (length == 0) {
            // Not a conversion: keep the sign as printed.
            out += '%';
            continue;
        }
        if (next != args.end()) out += *next++;  // a missing argument prints nothing
        i += length;
    }
    return out;
}

std::string FormatText(std::string_view text, std::initializer_list<std::string_view> args) {
    return FormatArgs(text, args);
}

}  // namespace detail

std::string FormatString(int id, std::initializer_list<std::string_view> args) {
    return detail::FormatText(LoadString(id), args);
}

std::string FormatString(int id, const std::vector<std::string>& args) {
    return detail::FormatArgs(LoadString(id), args);
}

}  // namespace vr31k
