object MainForm: TMainForm
  Left = -8
  Top = 200
  Width = 70000
  Tag = -2147483648
  HelpContext = 5000000000
  Ratio = 1.25
  Scale = 2.5s
  Big = 1.5E300
  Caption = 'Main window'
  Hint = 'Line one'#13#10'Line two' +
    ' continued' +
    ' and more'
  HelpKeyword = 'Caf'#233' cr'#232'me'
  Title.Caption = #1043#1083#1072#1074#1085#1086#1077
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Name = 'Tahoma'
  Font.Style = [fsBold, fsItalic]
  BorderIcons = []
  KeyPreview = True
  AutoScroll = False
  PopupMenu = nil
  Value = Null
  DataSource = OtherForm.DataSource1
  Icon.Data = {
    0000010001001010000001002000680400001600000028000000100000002000
    00000100200000000000000000000000000000000000}
  Description = 'A long description that goes on and on so that it does not fit in a short string of at most two hundred and fifty-five bytes, which means that the converter has to write it as a long string with a four-byte length in front of its bytes, as it must.'
  Lines.Strings = (
    'first line'
    'second line'
    #1055#1088#1080#1074#1077#1090)
  Values = (
    1
    'mixed'
    2.5)
  Empty.Strings = ()
  Nested = (
    (
      'inner'))
  object Label1: TLabel
    Caption = '&Name:'
    Hint = '12345'
  end
  object Panel1: TPanel [1]
    Caption = '----'
    object TBevel
      Hint = 'unnamed bevel'
    end
    object Button1: TButton
      Caption = 'OK'
      Font.Charset = RUSSIAN_CHARSET
    end
  end
  object TShape
    Hint = 'unnamed shape'
  end
  object ListView1: TListView
    Columns = <
      item
        Caption = 'Name'
        Width = 120
      end
      item
        Caption = 'Size'
        SubItems = <
          item
            Text = 'nested item'
       ð  end>
      end>
    Items.Strings = (
      'alpha'
      'beta')
  end
  object frxReport1: TfrxReport
    Version = '4.0'
    object Page1: TfrxReportPage
      object Memo1: TfrxMemoView
        Memo.UTF8 = (
          'Total:'
          '[Sum]')
        Caption = 'Memo caption'
      end
      object Memo2: TfrxMemoView
        Memo.UTF8W = 'Page [Page#]'
      end
    end
  end
  inline HeaderFrame: THeaderFrame
    Left = 0
    inherited TitleLabel: TLabel
      Caption = 'Header title'
    end
    inline InnerFrame: TInnerFrame
      inherited InnerButton: TButton
        Caption = 'Inner'
      end
    end
    object FrameLocal: TButton
      Caption = 'Local'
    end
  end
end
