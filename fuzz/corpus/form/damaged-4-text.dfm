object MainForm: TMainForm
  Left = 192
  Top = 110
  Caption = 'TinyPad'
  ClientHeight = 480
  ClientWidth = 640
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object miFile: TMenuItem
      Caption = '&File'
      object miOpen: TMenuItem
        Caption = '&Open...'
        Hint = 'Open a text file'
        ShortCut = 16463
      end
      object miSave: TMenuItem
        Caption = '&Save'
        Hint = 'Save the current file'
      end
      object TMenuItem
        Caption = '-'
      end
      object miExit: TMenuItem
        Caption = 'E&xit'
      end
    end
  end
  inline DocFrame: TDocFrame
    Left = 0
    Top = 0
    inherited lblTitle: TLabel
      Caption = 'Document'
    end
    inherited StatusBar: TStatusBar
      SimpleText = 'Ready'
    end
  end
  object lvRecent: TListView
    Columns = <
      item
        Caption = 'Name'
        Width = 200
      end
      item
        Caption = 'Size'
        Width = 80
      end
      item
        Caption = 'Changed'
        Width = 120
      end>
    Hint = 'Recent files'
    ShowHint = True
    ViewStyle = vsReport
  end
  object cbEncoding: TComboBox
    