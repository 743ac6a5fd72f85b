Attribute VB_Name = "Velum"
' Declarations of the Velum skin engine (Velum_VB6.dll) for Visual Basic.
' Put Velum_VB6.dll beside the program's executable. Strings pass as ANSI text, as VB passes
' a ByVal String to a DLL; every call returns VELUM_OK or one of the error codes below.
Option Explicit

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

' The text of the last error, cut to Size - 1 bytes; the result is the length in bytes of the
' whole text. The text ends at the first null character (Chinese characters take two bytes):
'     Dim Text As String
'     Text = String$(512, vbNullChar)
'     Velum_GetLastErrorText Text, Len(Text)
'     Text = Left$(Text, InStr(Text, vbNullChar) - 1)
Public Declare Function Velum_GetLastErrorText Lib "Velum_VB6.dll" (ByVal Buffer As String, ByVal Size As Long) As Long
