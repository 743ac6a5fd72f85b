Attribute VB_Name = "Velum"
' Declarations of the Velum skin engine (Velum_VB6.dll) for Visual Basic.
' Put Velum_VB6.dll beside the program's executable. Strings pass as ANSI text, as VB passes
' a ByVal String to a DLL; every call returns VELUM_OK or one of the error codes below.
Option Explicit

' The font a theme draws a part with (Velum_GetThemeFont), as Windows' LOGFONTA.
Public Type LOGFONT
    lfHeight As Long
    lfWidth As Long
    lfEscapement As Long
    lfOrientation As Long
    lfWeight As Long
    lfItalic As Byte
    lfUnderline As Byte
    lfStrikeOut As Byte
    lfCharSet As Byte
    lfOutPrecision As Byte
    lfClipPrecision As Byte
    lfQuality As Byte
    lfPitchAndFamily As Byte
    lfFaceName(0 To 31) As Byte
End Type

' The same with a UTF-16 face name (Velum_GetThemeFontW), as Windows' LOGFONTW.
Public Type LOGFONTW
    lfHeight As Long
    lfWidth As Long
    lfEscapement As Long
    lfOrientation As Long
    lfWeight As Long
    lfItalic As Byte
    lfUnderline As Byte
    lfStrikeOut As Byte
    lfCharSet As Byte
    lfOutPrecision As Byte
    lfClipPrecision As Byte
    lfQuality As Byte
    lfPitchAndFamily As Byte
    lfFaceName(0 To 31) As Integer
End Type

' The name of the message every top-level window gets after each successful attach or switch
' (wParam VELUM_LOOK_APPLIED) and after a detach (VELUM_LOOK_REMOVED):
' RegisterWindowMessage(VELUM_THEMECHANGED_NAME). While the user has a high-contrast theme on,
' the engine stands aside and draws nothing (VELUM_LOOK_STEPPED_ASIDE); the theme comes back by
' itself when it goes off (VELUM_LOOK_APPLIED).
Public Const VELUM_THEMECHANGED_NAME As String = "Velum.ThemeChanged"
Public Const VELUM_LOOK_REMOVED As Long = 0
Public Const VELUM_LOOK_APPLIED As Long = 1
Public Const VELUM_LOOK_STEPPED_ASIDE As Long = 2

Public Const VELUM_OK As Long = 0
Public Const VELUM_E_FILE As Long = 1        ' the theme file is missing, a folder, or cannot be read
Public Const VELUM_E_TOO_LARGE As Long = 2   ' the theme file is larger than the engine accepts
Public Const VELUM_E_THEME As Long = 3       ' the theme file has errors
Public Const VELUM_E_SCHEME As Long = 4      ' the file has no scheme of the requested name
Public Const VELUM_E_ARGUMENT As Long = 5    ' a null or unusable argument
Public Const VELUM_E_SYSTEM As Long = 6      ' Windows refused a call the engine needs
Public Const VELUM_E_BUSY As Long = 7        ' called from a message the engine sent during another call

' Skins the program's windows, and those it opens later, with the built-in look.
Public Declare Function Velum_Attach Lib "Velum_VB6.dll" () As Long

' Loads a theme file and applies it at once. Scheme names a scheme of the file;  selects
' the file's default. On an error the current look stays.
Public Declare Function Velum_AttachEx Lib "Velum_VB6.dll" (ByVal ThemePath As String, ByVal Scheme As String) As Long

' Gives every window back its own look.
Public Declare Function Velum_Detach Lib "Velum_VB6.dll" () As Long

' 1 while the engine draws the program's windows; 0 when not attached, or while it stands
' aside because the user turned on a high-contrast theme.
Public Declare Function Velum_IsDrawing Lib "Velum_VB6.dll" () As Long

' The text of the last error, cut to Size - 1 bytes; the result is the length in bytes of the
' whole text. The text ends at the first null character (Chinese characters take two bytes):
'     Dim Text As String
'     Text = String$(512, vbNullChar)
'     Velum_GetLastErrorText Text, Len(Text)
'     Text = Left$(Text, InStr(Text, vbNullChar) - 1)
Public Declare Function Velum_GetLastErrorText Lib "Velum_VB6.dll" (ByVal Buffer As String, ByVal Size As Long) As Long

' The calls ending in W take UTF-16 text: pass StrPtr(Text) of a VB string, which reaches any
' path, also one the ANSI code page cannot spell. The same rules and error codes as above:
'     Velum_AttachExW StrPtr(Path), StrPtr("")
Public Declare Function Velum_AttachExW Lib "Velum_VB6.dll" (ByVal ThemePath As Long, ByVal Scheme As Long) As Long

' The last error's text in UTF-16; Size and the result count characters:
'     Text = String$(512, vbNullChar)
'     Text = Left$(Text, Velum_GetLastErrorTextW(StrPtr(Text), Len(Text)))
Public Declare Function Velum_GetLastErrorTextW Lib "Velum_VB6.dll" (ByVal Buffer As Long, ByVal Size As Long) As Long

' Leaves a window (Form.hWnd, a control's hWnd) and every window inside it alone while Exclude
' is not 0, or gives it back to the engine; at once, before or after attaching.
Public Declare Function Velum_ExcludeWindow Lib "Velum_VB6.dll" (ByVal Window As Long, ByVal Exclude As Long) As Long

' The same for every window of a window class, by the class name.
Public Declare Function Velum_ExcludeClass Lib "Velum_VB6.dll" (ByVal ClassName As String, ByVal Exclude As Long) As Long
Public Declare Function Velum_ExcludeClassW Lib "Velum_VB6.dll" (ByVal ClassName As Long, ByVal Exclude As Long) As Long

' A colour of the theme in use, as a VB colour (&H00BBGGRR), or -1: a part ("Caption", "Button"...),
' a state ("" or "Hot", "Inactive"...), a key ("background", "text", "border"...):
'     Picture1.BackColor = Velum_GetThemeColor("Window", "", "background")
Public Declare Function Velum_GetThemeColor Lib "Velum_VB6.dll" (ByVal Part As String, ByVal State As String, ByVal Key As String) As Long

' The font the theme draws "Caption", "MenuBar" or "Popup" with.
Public Declare Function Velum_GetThemeFont Lib "Velum_VB6.dll" (ByVal Part As String, ByRef Font As LOGFONT) As Long
Public Declare Function Velum_GetThemeFontW Lib "Velum_VB6.dll" (ByVal Part As Long, ByRef Font As LOGFONTW) As Long
