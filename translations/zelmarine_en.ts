<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>zel::CAboutDlg</name>
    <message>
        <source>关于 Zelmarine</source>
        <translation>About Zelmarine</translation>
    </message>
    <message>
        <source>Zelmarine，1.0 版</source>
        <translation>Zelmarine, version 1.0</translation>
    </message>
    <message>
        <source>双通道电流测试仪配套软件</source>
        <translation>Companion software of the two-channel current tester</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>zel::CCurseWnd</name>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>趋势曲线图</source>
        <translation>Trend plot</translation>
    </message>
</context>
<context>
    <name>zel::CEventDlg</name>
    <message>
        <source>Velquist－越限事件</source>
        <translation>Velquist - Limit events</translation>
    </message>
    <message>
        <source>最少持续：</source>
        <translation>At least:</translation>
    </message>
    <message>
        <source>点</source>
        <translation>pts</translation>
    </message>
    <message>
        <source>重新查找</source>
        <translation>Search again</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CH1电流</source>
        <translation>CH1 current</translation>
    </message>
    <message>
        <source>CH2电流</source>
        <translation>CH2 current</translation>
    </message>
    <message>
        <source>电流差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>不平衡系数</source>
        <translation>Unbalance</translation>
    </message>
    <message>
        <source>越限项</source>
        <translation>Limit</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>持续(秒)</source>
        <translation>Duration (s)</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>最少持续 %1 点</source>
        <translation>at least %1 points</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>不平衡度限值应为0到100的整数!</source>
        <translation>The unbalance limit must be a whole number from 0 to 100!</translation>
    </message>
    <message>
        <source>电流限值应为不小于0的整数!</source>
        <translation>A current limit must be a whole number of 0 or more!</translation>
    </message>
    <message>
        <source>最少持续点数应为1到1000000的整数!</source>
        <translation>The least number of points must be a whole number from 1 to 1000000!</translation>
    </message>
    <message>
        <source>正在查找…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <source>未设定越限值</source>
        <translation>No limit set</translation>
    </message>
    <message>
        <source>共%1个事件（列出前%2个）</source>
        <translation>%1 events (the first %2 listed)</translation>
    </message>
    <message>
        <source>共%1个事件</source>
        <translation>%1 events</translation>
    </message>
</context>
<context>
    <name>zel::CMyDialog</name>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
</context>
<context>
    <name>zel::CPlotWnd</name>
    <message>
        <source>通道一(CH1)</source>
        <translation>Channel 1 (CH1)</translation>
    </message>
    <message>
        <source>通道二(CH2)</source>
        <translation>Channel 2 (CH2)</translation>
    </message>
    <message>
        <source>(时间)</source>
        <translation>(time)</translation>
    </message>
    <message>
        <source>显示 %1 至 %2，光标处 CH1 %3，CH2 %4</source>
        <translation>Showing %1 to %2; at the cursor CH1 %3, CH2 %4</translation>
    </message>
</context>
<context>
    <name>zel::CRealDlg</name>
    <message>
        <source>CH1波形：</source>
        <translation>CH1 wave:</translation>
    </message>
    <message>
        <source>CH2波形：</source>
        <translation>CH2 wave:</translation>
    </message>
    <message>
        <source>CH1曲线(A)：</source>
        <translation>CH1 trend:</translation>
    </message>
    <message>
        <source>CH2曲线(A)：</source>
        <translation>CH2 trend:</translation>
    </message>
    <message>
        <source>电流差：</source>
        <translation>Difference:</translation>
    </message>
    <message>
        <source>不平衡系数(%)：</source>
        <translation>Unbal. (%):</translation>
    </message>
    <message>
        <source>波形放大</source>
        <translation>Wave zoom in</translation>
    </message>
    <message>
        <source>波形缩小</source>
        <translation>Wave zoom out</translation>
    </message>
    <message>
        <source>曲线放大</source>
        <translation>Trend zoom in</translation>
    </message>
    <message>
        <source>曲线缩小</source>
        <translation>Trend zoom out</translation>
    </message>
    <message>
        <source>Velquist-实时查看</source>
        <translation>Velquist - Live view</translation>
    </message>
</context>
<context>
    <name>zel::CRecordDlg</name>
    <message>
        <source>Velquist－数据录制</source>
        <translation>Velquist - Live recording</translation>
    </message>
    <message>
        <source>开始录制</source>
        <translation>Start recording</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Stop recording</translation>
    </message>
</context>
<context>
    <name>zel::CSetDlg</name>
    <message>
        <source>Velquist--设置</source>
        <translation>Velquist - Settings</translation>
    </message>
    <message>
        <source>设备IP地址：</source>
        <translation>Device IP address:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>记录文件夹：</source>
        <translation>Record folder:</translation>
    </message>
    <message>
        <source>记录文件：%1
截图文件：%2
设置文件：%3</source>
        <translation>Records: %1
Screenshots: %2
Settings: %3</translation>
    </message>
    <message>
        <source>界面语言：</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>下次启动时生效</source>
        <translation>Takes effect at the next start</translation>
    </message>
    <message>
        <source>保存设置失败!</source>
        <translation>Could not save the settings!</translation>
    </message>
    <message>
        <source>越限报警：</source>
        <translation>Limits:</translation>
    </message>
    <message>
        <source>CH1电流 &gt;</source>
        <translation>CH1 current &gt;</translation>
    </message>
    <message>
        <source>CH2电流 &gt;</source>
        <translation>CH2 current &gt;</translation>
    </message>
    <message>
        <source>电流差 &gt;</source>
        <translation>Difference &gt;</translation>
    </message>
    <message>
        <source>不平衡度 &gt;</source>
        <translation>Unbalance &gt;</translation>
    </message>
    <message>
        <source>最少持续：</source>
        <translation>At least:</translation>
    </message>
    <message>
        <source>点</source>
        <translation>pts</translation>
    </message>
    <message>
        <source>越限提示音</source>
        <translation>Tone on event</translation>
    </message>
    <message>
        <source>不平衡度限值应为0到100的整数!</source>
        <translation>The unbalance limit must be a whole number from 0 to 100!</translation>
    </message>
    <message>
        <source>电流限值应为不小于0的整数!</source>
        <translation>A current limit must be a whole number of 0 or more!</translation>
    </message>
    <message>
        <source>最少持续点数应为1到1000000的整数!</source>
        <translation>The least number of points must be a whole number from 1 to 1000000!</translation>
    </message>
</context>
<context>
    <name>zel::CStatDlg</name>
    <message>
        <source>Velquist－统计</source>
        <translation>Velquist - Statistics</translation>
    </message>
</context>
<context>
    <name>zel::CTimeWnd</name>
    <message>
        <source>设备编号:%1</source>
        <translation>Device No.: %1</translation>
    </message>
    <message>
        <source>版本号:</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>开始时间:</source>
        <translation>Start time: </translation>
    </message>
    <message>
        <source>当前时间:</source>
        <translation>Current: </translation>
    </message>
    <message>
        <source>总数据数:</source>
        <translation>Total data: </translation>
    </message>
    <message>
        <source>信息栏</source>
        <translation>Information bar</translation>
    </message>
</context>
<context>
    <name>zel::CTransDlg</name>
    <message>
        <source>开始传输</source>
        <translation>Start transfer</translation>
    </message>
    <message>
        <source>停止传输</source>
        <translation>Stop transfer</translation>
    </message>
    <message>
        <source>Velquist-记录传输</source>
        <translation>Velquist - Record transfer</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>数据数</source>
        <translation>Data count</translation>
    </message>
    <message>
        <source>无存储数据!</source>
        <translation>No stored data!</translation>
    </message>
    <message>
        <source>传输已停止</source>
        <translation>Transfer stopped</translation>
    </message>
    <message>
        <source>正在传输数据,请先停止传输!</source>
        <translation>A transfer is running. Stop it first!</translation>
    </message>
    <message>
        <source>确定要清除设备中的全部存储数据吗?</source>
        <translation>Clear all data stored on the device?</translation>
    </message>
    <message>
        <source>连接设备失败!</source>
        <translation>Could not connect to the device!</translation>
    </message>
    <message>
        <source>清除数据成功!</source>
        <translation>The data was cleared!</translation>
    </message>
    <message>
        <source>清除数据失败!</source>
        <translation>Could not clear the data!</translation>
    </message>
</context>
<context>
    <name>zel::CUsbDlg</name>
    <message>
        <source>Velquist-文件分析</source>
        <translation>Velquist - File analysis</translation>
    </message>
    <message>
        <source>全部选择</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>传输时间</source>
        <translation>Transfer time</translation>
    </message>
    <message>
        <source>设备号</source>
        <translation>Device No.</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>数据数</source>
        <translation>Data count</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>分析</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>确定要删除选中的文件吗?
共%1个文件</source>
        <translation>Delete the selected files?
%1 file(s) in all</translation>
    </message>
    <message>
        <source>以下文件无法删除:
</source>
        <translation>These files could not be deleted:
</translation>
    </message>
    <message>
        <source>开始分析...</source>
        <translation>Analysing...</translation>
    </message>
    <message>
        <source>请选择需分析文件!</source>
        <translation>Select the files to analyse!</translation>
    </message>
    <message>
        <source>分析完成...</source>
        <translation>Analysis finished...</translation>
    </message>
</context>
<context>
    <name>zel::CViewDlg</name>
    <message>
        <source>打开...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>截取</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>波形放大</source>
        <translation>Wave +</translation>
    </message>
    <message>
        <source>波形缩小</source>
        <translation>Wave −</translation>
    </message>
    <message>
        <source>曲线放大</source>
        <translation>Trend +</translation>
    </message>
    <message>
        <source>曲线缩小</source>
        <translation>Trend −</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>CH1波形：</source>
        <translation>CH1 wave:</translation>
    </message>
    <message>
        <source>CH2波形：</source>
        <translation>CH2 wave:</translation>
    </message>
    <message>
        <source>CH1曲线(A)：</source>
        <translation>CH1 trend:</translation>
    </message>
    <message>
        <source>CH2曲线(A)：</source>
        <translation>CH2 trend:</translation>
    </message>
    <message>
        <source>电流差：</source>
        <translation>Difference:</translation>
    </message>
    <message>
        <source>不平衡系数(%)：</source>
        <translation>Unbal. (%):</translation>
    </message>
    <message>
        <source>不是记录文件：%1</source>
        <translation>Not a record file: %1</translation>
    </message>
    <message>
        <source>无法读取 %1：不是普通文件</source>
        <translation>Cannot read %1: not a regular file</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>Velquist－记录查看</source>
        <translation>Velquist - Record viewer</translation>
    </message>
    <message>
        <source>无法写入图片文件：%1</source>
        <translation>Cannot write the picture file: %1</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Velquist－记录查看（记录增长中）</source>
        <translation>Velquist - Record viewer (record growing)</translation>
    </message>
</context>
<context>
    <name>zel::CWaveWnd</name>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>波形图</source>
        <translation>Waveform plot</translation>
    </message>
</context>
<context>
    <name>zel::CZelmarineDlg</name>
    <message>
        <source>实时查看</source>
        <translation>Live view</translation>
    </message>
    <message>
        <source>记录查看</source>
        <translation>Record viewer</translation>
    </message>
    <message>
        <source>实时录制</source>
        <translation>Live recording</translation>
    </message>
    <message>
        <source>记录传输</source>
        <translation>Transfer</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>文件分析</source>
        <translation>File analysis</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>WIFI状态</source>
        <translation>Wi-Fi status</translation>
    </message>
    <message>
        <source>设备状态</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>连接状态：未连接</source>
        <translation>Connection: not connected</translation>
    </message>
    <message>
        <source>SSID：</source>
        <translation>SSID: </translation>
    </message>
    <message>
        <source>信号强度：</source>
        <translation>Signal: </translation>
    </message>
    <message>
        <source>安全类型：</source>
        <translation>Security: </translation>
    </message>
    <message>
        <source>设备编号：</source>
        <translation>Device No.: </translation>
    </message>
    <message>
        <source>设备电量：</source>
        <translation>Battery: </translation>
    </message>
    <message>
        <source>设备版本：</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>设备状态：</source>
        <translation>State: </translation>
    </message>
    <message>
        <source>设备时间：</source>
        <translation>Device time: </translation>
    </message>
    <message>
        <source>通道一：</source>
        <translation>CH1:</translation>
    </message>
    <message>
        <source>通道二：</source>
        <translation>CH2:</translation>
    </message>
    <message>
        <source>同步</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>未能连接到设备!</source>
        <translation>Could not connect to the device!</translation>
    </message>
    <message>
        <source>设备不是在测量状态</source>
        <translation>The device is not in the measuring state</translation>
    </message>
    <message>
        <source>设备不是在查看状态</source>
        <translation>The device is not in the viewing state</translation>
    </message>
    <message>
        <source>连接设备失败!</source>
        <translation>Could not connect to the device!</translation>
    </message>
    <message>
        <source>时间同步失败!</source>
        <translation>Could not set the device&apos;s clock!</translation>
    </message>
    <message>
        <source>确定要退出Velquist软件吗?</source>
        <translation>Exit the Velquist software?</translation>
    </message>
    <message>
        <source>关于 Zelmarine(&amp;A)...</source>
        <translation>About Zelmarine(&amp;A)...</translation>
    </message>
    <message>
        <source>CH1电流</source>
        <translation>CH1 current</translation>
    </message>
    <message>
        <source>CH2电流</source>
        <translation>CH2 current</translation>
    </message>
</context>
<context>
    <name>zel::CursorPairReadout</name>
    <message>
        <source>&lt;b&gt;Δt = %1 s&lt;/b&gt; (%2 点)&lt;table cellspacing=0&gt;</source>
        <translation>&lt;b&gt;Δt = %1 s&lt;/b&gt; (%2 points)&lt;table cellspacing=0&gt;</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>电流差</source>
        <translation>Difference</translation>
    </message>
</context>
<context>
    <name>zel::DemoEnvironment</name>
    <message>
        <source>演示仪器：测量状态</source>
        <translation>Demo instrument: measuring</translation>
    </message>
    <message>
        <source>演示仪器：查看状态</source>
        <translation>Demo instrument: viewing</translation>
    </message>
</context>
<context>
    <name>zel::DeviceText</name>
    <message>
        <source>第%1帧/共%2帧</source>
        <translation>Frame %1 of %2</translation>
    </message>
    <message>
        <source>连接到设备出现错误!</source>
        <translation>Error connecting to the device!</translation>
    </message>
    <message>
        <source>读取设备信息失败!</source>
        <translation>Could not read the device information!</translation>
    </message>
    <message>
        <source>无数据记录或存储信息读取失败!</source>
        <translation>No records, or the storage information could not be read!</translation>
    </message>
    <message>
        <source>数据传输失败!</source>
        <translation>The data transfer failed!</translation>
    </message>
    <message>
        <source>数据传输完成!</source>
        <translation>The data transfer is complete!</translation>
    </message>
    <message>
        <source>保存数据失败!</source>
        <translation>Could not save the data!</translation>
    </message>
    <message>
        <source>传输已停止</source>
        <translation>Transfer stopped</translation>
    </message>
    <message>
        <source>准备传输</source>
        <translation>Preparing the transfer</translation>
    </message>
    <message>
        <source>正在读取存储信息</source>
        <translation>Reading the storage information</translation>
    </message>
    <message>
        <source>第%d帧/共%d帧</source>
        <translation>Frame %d of %d</translation>
    </message>
    <message>
        <source>正在保存数据</source>
        <translation>Saving the data</translation>
    </message>
    <message>
        <source>测量状态</source>
        <translation>Measuring</translation>
    </message>
    <message>
        <source>查看状态</source>
        <translation>Viewing</translation>
    </message>
    <message>
        <source>回放状态</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>zel::LiveEventWatch</name>
    <message>
        <source>CH1电流</source>
        <translation>CH1 current</translation>
    </message>
    <message>
        <source>CH2电流</source>
        <translation>CH2 current</translation>
    </message>
    <message>
        <source>电流差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>不平衡系数</source>
        <translation>Unbalance</translation>
    </message>
    <message>
        <source>越限: %1 %2%3 %4</source>
        <translation>Over limit: %1 %2%3 %4</translation>
    </message>
    <message>
        <source>越限次数:%1</source>
        <translation>Events: %1</translation>
    </message>
</context>
<context>
    <name>zel::LiveKeys</name>
    <message>
        <source>键盘：←/→ 滚动，+/− 缩放指针下的图，Home/End 到最早/最新的数据</source>
        <translation>Keys: ←/→ scroll, +/− zoom the plot under the pointer, Home/End to the oldest/newest data</translation>
    </message>
</context>
<context>
    <name>zel::LiveRecordSink</name>
    <message>
        <source>连接到设备出现错误!</source>
        <translation>Error connecting to the device!</translation>
    </message>
    <message>
        <source>连接已恢复，本次共中断%1次</source>
        <translation>Connection restored; it was lost %1 time(s) in this run</translation>
    </message>
    <message>
        <source>连接中断 %1，正在重新连接(第%2次)…</source>
        <translation>Connection lost %1, reconnecting (attempt %2)…</translation>
    </message>
    <message>
        <source>保存数据失败!
%1
%2</source>
        <translation>Could not save the data!
%1
%2</translation>
    </message>
</context>
<context>
    <name>zel::NotesDialog</name>
    <message>
        <source>Velquist－备注</source>
        <translation>Velquist - Notes</translation>
    </message>
    <message>
        <source>编辑...</source>
        <translation>Edit...</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>zel::Readouts</name>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>CH1波形</source>
        <translation>CH1 waveform</translation>
    </message>
    <message>
        <source>CH2波形</source>
        <translation>CH2 waveform</translation>
    </message>
    <message>
        <source>CH1曲线(A)</source>
        <translation>CH1 trend (A)</translation>
    </message>
    <message>
        <source>CH2曲线(A)</source>
        <translation>CH2 trend (A)</translation>
    </message>
    <message>
        <source>电流差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>不平衡系数(%)</source>
        <translation>Unbalance (%)</translation>
    </message>
</context>
<context>
    <name>zel::ReportWriter</name>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>记录报告 </source>
        <translation>Record report </translation>
    </message>
    <message>
        <source>Velquist 记录报告</source>
        <translation>Velquist record report</translation>
    </message>
    <message>
        <source>文件名：</source>
        <translation>File name: </translation>
    </message>
    <message>
        <source>设备编号</source>
        <translation>Device No.</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>数据总数</source>
        <translation>Total data</translation>
    </message>
    <message>
        <source>……另有 %1 条备注</source>
        <translation>… and %1 more note(s)</translation>
    </message>
    <message>
        <source>统计（%1）</source>
        <translation>Statistics (%1)</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>导出时间：</source>
        <translation>Exported: </translation>
    </message>
    <message>
        <source>越限事件</source>
        <translation>Limit events</translation>
    </message>
    <message>
        <source>越限值：</source>
        <translation>Limits: </translation>
    </message>
    <message>
        <source>全记录共 %1 个事件，列出前 %2 个</source>
        <translation>%1 events in the whole record, the first %2 listed</translation>
    </message>
    <message>
        <source>全记录共 %1 个事件</source>
        <translation>%1 events in the whole record</translation>
    </message>
</context>
<context>
    <name>zel::StatisticsTable</name>
    <message>
        <source>%1时%2分%3%4秒</source>
        <translation>%1h%2m%3%4s</translation>
    </message>
    <message>
        <source>最小值</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>最小值时间</source>
        <translation>Time of minimum</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>最大值时间</source>
        <translation>Time of maximum</translation>
    </message>
    <message>
        <source>平均值</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>均方根</source>
        <translation>RMS</translation>
    </message>
    <message>
        <source>CH1曲线(A)</source>
        <translation>CH1 trend (A)</translation>
    </message>
    <message>
        <source>CH2曲线(A)</source>
        <translation>CH2 trend (A)</translation>
    </message>
    <message>
        <source>电流差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>不平衡系数(%)</source>
        <translation>Unbalance (%)</translation>
    </message>
    <message>
        <source>CH1波形</source>
        <translation>CH1 waveform</translation>
    </message>
    <message>
        <source>CH2波形</source>
        <translation>CH2 waveform</translation>
    </message>
    <message>
        <source>统计范围：%1 至 %2    时长：%3    数据点数：%4</source>
        <translation>Range: %1 to %2    Duration: %3    Points: %4</translation>
    </message>
</context>
<context>
    <name>zel::StatusPoller</name>
    <message>
        <source>连接状态：未连接</source>
        <translation>Connection: not connected</translation>
    </message>
    <message>
        <source>设备编号：</source>
        <translation>Device No.: </translation>
    </message>
    <message>
        <source>设备版本：</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>设备电量：</source>
        <translation>Battery: </translation>
    </message>
    <message>
        <source>设备状态: </source>
        <translation>State: </translation>
    </message>
    <message>
        <source>设备时间：</source>
        <translation>Device time: </translation>
    </message>
    <message>
        <source>连接状态：已连接</source>
        <translation>Connection: connected</translation>
    </message>
    <message>
        <source>设备状态：</source>
        <translation>State: </translation>
    </message>
</context>
<context>
    <name>zel::TimeAxisLabels</name>
    <message>
        <source>%1时%2分%3秒</source>
        <translation>%1h%2m%3s</translation>
    </message>
</context>
<context>
    <name>zel::ViewerClock</name>
    <message>
        <source>转到时间</source>
        <translation>Go to time</translation>
    </message>
    <message>
        <source>时间（YYYY-mm-dd HH:MM:SS 或 H:MM:SS）：</source>
        <translation>Time (YYYY-mm-dd HH:MM:SS or H:MM:SS):</translation>
    </message>
    <message>
        <source>不在记录的时间内：%1（%2 至 %3）</source>
        <translation>Not within the record&apos;s time: %1 (%2 to %3)</translation>
    </message>
</context>
<context>
    <name>zel::ViewerCompare</name>
    <message>
        <source>无法读取对比记录：%1</source>
        <translation>Cannot read the record to compare: %1</translation>
    </message>
    <message>
        <source>正在读取对比记录 %1…</source>
        <translation>Reading the record to compare: %1…</translation>
    </message>
    <message>
        <source>%1 与当前记录的时间没有重叠，无法按时刻对齐。按开始时间对齐吗？</source>
        <translation>%1 does not overlap the current record in time, so it cannot be aligned by clock time. Align by the start times?</translation>
    </message>
    <message>
        <source>两个记录的时间没有重叠，无法按时刻对齐</source>
        <translation>The two records do not overlap in time and cannot be aligned by clock time</translation>
    </message>
    <message>
        <source>对比 %1</source>
        <translation>Comparing %1</translation>
    </message>
    <message>
        <source>
光标处无数据</source>
        <translation>
No data at the cursor</translation>
    </message>
</context>
<context>
    <name>zel::ViewerCut</name>
    <message>
        <source>正在保存选定范围…</source>
        <translation>Saving the selected range…</translation>
    </message>
    <message>
        <source>无法写入记录文件：%1（%2）</source>
        <translation>Cannot write the record file: %1 (%2)</translation>
    </message>
    <message>
        <source>已保存选定范围：%1</source>
        <translation>Selected range saved: %1</translation>
    </message>
</context>
<context>
    <name>zel::ViewerEvents</name>
    <message>
        <source>越限事件</source>
        <translation>Limit events</translation>
    </message>
    <message>
        <source>-越限事件.csv</source>
        <translation>-events.csv</translation>
    </message>
    <message>
        <source>无法写入CSV文件：%1</source>
        <translation>Cannot write the CSV file: %1</translation>
    </message>
</context>
<context>
    <name>zel::ViewerKeys</name>
    <message>
        <source>键盘：←/→ 滚动，+/− 缩放指针下的图，Home/End 到开头/结尾，空格 播放/停止，Ctrl+O 打开，M 添加备注，E 越限事件</source>
        <translation>Keys: ←/→ scroll, +/− zoom the plot under the pointer, Home/End to the start/end, Space play/stop, Ctrl+O open, M add a note, E limit events</translation>
    </message>
</context>
<context>
    <name>zel::ViewerMenus</name>
    <message>
        <source>波形截屏</source>
        <translation>Waveform screenshot</translation>
    </message>
    <message>
        <source>曲线截屏</source>
        <translation>Trend screenshot</translation>
    </message>
    <message>
        <source>波形与曲线</source>
        <translation>Waveform and trend</translation>
    </message>
    <message>
        <source>仅波形</source>
        <translation>Waveform only</translation>
    </message>
    <message>
        <source>仅曲线</source>
        <translation>Trend only</translation>
    </message>
</context>
<context>
    <name>zel::ViewerNotes</name>
    <message>
        <source>备注文件格式不对，不显示备注：%1</source>
        <translation>The notes file is not in the right format; no notes are shown: %1</translation>
    </message>
    <message>
        <source>备注文件过大，不显示备注：%1</source>
        <translation>The notes file is too large; no notes are shown: %1</translation>
    </message>
    <message>
        <source>无法读取备注文件 %1：%2</source>
        <translation>Cannot read the notes file %1: %2</translation>
    </message>
    <message>
        <source>光标处没有数据</source>
        <translation>No data at the cursor</translation>
    </message>
    <message>
        <source>编辑备注</source>
        <translation>Edit note</translation>
    </message>
    <message>
        <source>添加备注</source>
        <translation>Add note</translation>
    </message>
    <message>
        <source>备注（%1）：</source>
        <translation>Note (%1):</translation>
    </message>
    <message>
        <source>备注是一行文字，不能为空</source>
        <translation>A note is one line of text and cannot be empty</translation>
    </message>
    <message>
        <source>无法写入备注文件：%1（%2）</source>
        <translation>Cannot write the notes file: %1 (%2)</translation>
    </message>
    <message>
        <source>没有选定范围</source>
        <translation>No range is selected</translation>
    </message>
    <message>
        <source>不能替换已有的记录文件：%1</source>
        <translation>An existing record file cannot be replaced: %1</translation>
    </message>
    <message>
        <source>添加备注	M</source>
        <translation>Add note	M</translation>
    </message>
    <message>
        <source>备注列表...</source>
        <translation>Notes list...</translation>
    </message>
    <message>
        <source>光标B设在此处	Shift+单击</source>
        <translation>Set cursor B here	Shift+Click</translation>
    </message>
    <message>
        <source>清除光标B</source>
        <translation>Clear cursor B</translation>
    </message>
    <message>
        <source>时间轴显示时刻</source>
        <translation>Clock time on the time axis</translation>
    </message>
    <message>
        <source>转到时间...</source>
        <translation>Go to time...</translation>
    </message>
    <message>
        <source>对比...</source>
        <translation>Compare...</translation>
    </message>
    <message>
        <source>对比按时刻对齐</source>
        <translation>Align comparison by clock time</translation>
    </message>
    <message>
        <source>对比按开始对齐</source>
        <translation>Align comparison by start</translation>
    </message>
    <message>
        <source>关闭对比</source>
        <translation>Close comparison</translation>
    </message>
    <message>
        <source>选定范围另存为记录...</source>
        <translation>Save selected range as record...</translation>
    </message>
</context>
<context>
    <name>zel::ViewerProgress</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在取消…</source>
        <translation>Cancelling…</translation>
    </message>
</context>
<context>
    <name>zel::ViewerStatistics</name>
    <message>
        <source>统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>导出报告</source>
        <translation>Export report</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>选定范围</source>
        <translation>selected range</translation>
    </message>
    <message>
        <source>当前视图</source>
        <translation>current view</translation>
    </message>
    <message>
        <source>%1没有数据</source>
        <translation>The %1 has no data</translation>
    </message>
    <message>
        <source>波形图</source>
        <translation>Waveform</translation>
    </message>
    <message>
        <source>趋势曲线图（阴影为选定范围）</source>
        <translation>Trend curve (shaded: the selected range)</translation>
    </message>
    <message>
        <source>趋势曲线图</source>
        <translation>Trend curve</translation>
    </message>
    <message>
        <source>无法写入报告文件：%1</source>
        <translation>Cannot write the report file: %1</translation>
    </message>
    <message>
        <source>无法写入CSV文件：%1</source>
        <translation>Cannot write the CSV file: %1</translation>
    </message>
</context>
<context>
    <name>zel::WifiProbe</name>
    <message>
        <source>连接状态：未连接</source>
        <translation>Connection: not connected</translation>
    </message>
    <message>
        <source>SSID：</source>
        <translation>SSID: </translation>
    </message>
    <message>
        <source>信号强度：</source>
        <translation>Signal: </translation>
    </message>
    <message>
        <source>连接类型：</source>
        <translation>Security: </translation>
    </message>
    <message>
        <source>连接状态：已连接</source>
        <translation>Connection: connected</translation>
    </message>
    <message>
        <source>信号强度：%1%</source>
        <translation>Signal: %1%</translation>
    </message>
</context>
</TS>
