<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>About</name>
    <message>
        <source>Contact</source>
        <translation>联系方式</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>主页</translation>
    </message>
    <message>
        <source>Designer</source>
        <translation>设计师</translation>
    </message>
    <message>
        <source>Contributor</source>
        <translation>贡献者</translation>
    </message>
    <message>
        <source>A decent stack
A better clipboard manager</source>
        <translation>得体的堆栈
更好的剪贴板管理器</translation>
    </message>
</context>
<context>
    <name>Connection</name>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Can not connect to localhost.</source>
        <translation>不能连接到本机。</translation>
    </message>
    <message>
        <source>Can&apos;t transfer a folder.</source>
        <translation>无法传输文件夹。</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>正在连接</translation>
    </message>
    <message>
        <source>Connection canceled.</source>
        <translation>连接已取消。</translation>
    </message>
    <message>
        <source>Connection exists.</source>
        <translation>连接已存在。</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="vanished">下载</translation>
    </message>
    <message>
        <source>Download failed.</source>
        <translation type="vanished">下载失败。</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>正在下载</translation>
    </message>
    <message>
        <source>Failed to accept remote connection.</source>
        <translation>无法接受远端连接。</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>找不到文件</translation>
    </message>
    <message>
        <source>Get local IP address failed.</source>
        <translation>获取本机 IP 地址失败。</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>IP address required.</source>
        <translation>请填写 IP 地址。</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>IP 地址：</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>本地</translation>
    </message>
    <message>
        <source>Localhost</source>
        <translation>本机</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Password incorrect.</source>
        <translation>密码错误。</translation>
    </message>
    <message>
        <source>%1 (%2) is linked with this computer. Click to see the linked hosts.</source>
        <translation>%1（%2）已与本机连接。点击查看已连接的主机。</translation>
    </message>
    <message>
        <source>%1 (%2) is no longer linked.</source>
        <translation>%1（%2）已断开连接。</translation>
    </message>
    <message>
        <source>A host</source>
        <translation>一台主机</translation>
    </message>
    <message>
        <source>Anyone on your network can link without a password.</source>
        <translation>网络中的任何人都可以无需密码连接。</translation>
    </message>
    <message>
        <source>Password, optional</source>
        <translation>密码（可选）</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密码：</translation>
    </message>
    <message>
        <source>Preparing</source>
        <translation>正在准备</translation>
    </message>
    <message>
        <source>The server can only support two clients.</source>
        <translation>服务器最多只能连接两个客户端。</translation>
    </message>
    <message>
        <source>Unknow error.</source>
        <translation>未知错误。</translation>
    </message>
    <message>
        <source>Visible</source>
        <translation>显示密码</translation>
    </message>
    <message>
        <source>You may have two remote connections at most.</source>
        <translation>最多只能有两个远程连接。</translation>
    </message>
    <message>
        <source>The host did not answer.</source>
        <translation>对方主机没有响应。</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开连接</translation>
    </message>
    <message>
        <source>Connection timed out.</source>
        <translation>连接超时。</translation>
    </message>
    <message>
        <source>The host closed the connection.</source>
        <translation>对方主机关闭了连接。</translation>
    </message>
    <message>
        <source>The transfer timed out.</source>
        <translation>传输超时。</translation>
    </message>
    <message>
        <source>Other computers cannot reach this one: %1</source>
        <translation>其他计算机无法连接到本机：%1</translation>
    </message>
    <message>
        <source>The linked host disconnected.</source>
        <translation>已连接的主机断开了连接。</translation>
    </message>
    <message>
        <source>The sender sent more than announced.</source>
        <translation>发送方发送的数据超出了声明的大小。</translation>
    </message>
    <message>
        <source>The receiver closed the connection.</source>
        <translation>接收方关闭了连接。</translation>
    </message>
    <message>
        <source>The file name is not usable.</source>
        <translation>文件名不可用。</translation>
    </message>
    <message>
        <source>The file size is not valid.</source>
        <translation>文件大小无效。</translation>
    </message>
    <message>
        <source>Too many transfers at once.</source>
        <translation>同时进行的传输过多。</translation>
    </message>
    <message>
        <source>The host sent a file that was not asked for.</source>
        <translation>对方主机发送了未请求的文件。</translation>
    </message>
    <message>
        <source>The history of the host is too large.</source>
        <translation>对方主机的历史记录过大。</translation>
    </message>
    <message>
        <source>Not enough free space: the file needs %1, %2 is free.</source>
        <translation>可用空间不足：文件需要 %1，可用 %2。</translation>
    </message>
    <message>
        <source>Refuse unencrypted links</source>
        <translation>拒绝未加密的连接</translation>
    </message>
    <message>
        <source>Unencrypted link</source>
        <translation>未加密的连接</translation>
    </message>
    <message>
        <source>Encrypted link, verification code %1</source>
        <translation>加密连接，验证码 %1</translation>
    </message>
    <message>
        <source>First encrypted link with %1. Verification code: %2. It must be the same on both computers.</source>
        <translation>首次与 %1 建立加密连接。验证码：%2。两台电脑上显示的验证码必须相同。</translation>
    </message>
    <message>
        <source>The host showed no certificate.</source>
        <translation>对方主机没有出示证书。</translation>
    </message>
    <message>
        <source>The certificate of %1 is not the one it had at the first link: the link was refused. If that computer was set up again, remove its line from the known hosts file.</source>
        <translation>%1 的证书与首次连接时不同，连接已被拒绝。如果那台电脑已重新安装，请从已知主机文件中删除它的那一行。</translation>
    </message>
    <message>
        <source>%1 was linked encrypted before and now does not answer encrypted: the link was refused.</source>
        <translation>%1 以前使用加密连接，现在却不再以加密方式应答，连接已被拒绝。</translation>
    </message>
    <message>
        <source>%1 does not offer an encrypted link, and unencrypted links are turned off.</source>
        <translation>%1 不提供加密连接，而未加密的连接已被关闭。</translation>
    </message>
    <message>
        <source>Could not connect</source>
        <translation>无法连接</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>重试</translation>
    </message>
</context>
<context>
    <name>ControlsContainer</name>
    <message>
        <source>Show in Explorer</source>
        <translation>在文件管理器中显示</translation>
    </message>
    <message>
        <source>Show in Finder</source>
        <translation>在访达中显示</translation>
    </message>
    <message>
        <source>Copy image</source>
        <translation>复制图片</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>Open with peekora</source>
        <translation type="vanished">用 peekora 打开</translation>
    </message>
    <message>
        <source>Open with Quicklook</source>
        <translation type="vanished">用 Quicklook 打开</translation>
    </message>
    <message>
        <source>Copy as plain text</source>
        <translation>复制为纯文本</translation>
    </message>
    <message>
        <source>Send emial to </source>
        <translation>发送邮件至 </translation>
    </message>
    <message>
        <source>Restore to plain text</source>
        <translation>还原为纯文本</translation>
    </message>
    <message>
        <source>Convert to rich text</source>
        <translation>转换为富文本</translation>
    </message>
    <message>
        <source>Open with browser</source>
        <translation>用浏览器打开</translation>
    </message>
    <message>
        <source>Show in file manager</source>
        <translation>在文件管理器中显示</translation>
    </message>
    <message>
        <source>Open with %1</source>
        <translation>用 %1 打开</translation>
    </message>
</context>
<context>
    <name>DetailsView4UrlsLocal</name>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Open with %1</source>
        <translation>用 %1 打开</translation>
    </message>
</context>
<context>
    <name>Global</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Update language failed</source>
        <translation>切换语言失败</translation>
    </message>
    <message>
        <source>You may have 9 favorate items at max.</source>
        <translation>最多只能有 9 个收藏项。</translation>
    </message>
    <message>
        <source>Please choose a url</source>
        <translation>请选择保存位置</translation>
    </message>
    <message>
        <source>Application started.</source>
        <translation>程序已启动。</translation>
    </message>
    <message>
        <source>About</source>
        <translation type="vanished">关于</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation type="vanished">连接</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation type="vanished">设置</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Report a bug...</source>
        <translation type="vanished">提交 bug...</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Search pinned</source>
        <translation>查找 pinned</translation>
    </message>
    <message>
        <source>Show clipboard</source>
        <translation>显示剪贴板窗口</translation>
    </message>
    <message>
        <source>Show quick paste</source>
        <translation>显示快速粘贴窗口</translation>
    </message>
    <message>
        <source>Tolvane could not save to disk (%1). What was stored before is kept.</source>
        <translation>Tolvane 无法保存到磁盘（%1）。之前保存的内容会被保留。</translation>
    </message>
    <message>
        <source>cannot remove the link %1</source>
        <translation>无法删除链接 %1</translation>
    </message>
    <message>
        <source>incomplete write</source>
        <translation>写入不完整</translation>
    </message>
    <message>
        <source>Show the clipboard history</source>
        <translation>显示剪贴板历史</translation>
    </message>
    <message>
        <source>Quick paste from the history</source>
        <translation>从历史中快速粘贴</translation>
    </message>
    <message>
        <source>Quick paste from the pinned items</source>
        <translation>从固定项中快速粘贴</translation>
    </message>
    <message>
        <source>This desktop gives programs no global hot keys; open the windows from the tray icon.</source>
        <translation>此桌面不向程序提供全局热键；请从托盘图标打开窗口。</translation>
    </message>
    <message>
        <source>This desktop does not let Tolvane follow the clipboard. Start it with QT_QPA_PLATFORM=xcb to run it through XWayland.</source>
        <translation>此桌面不允许 Tolvane 跟踪剪贴板。请以 QT_QPA_PLATFORM=xcb 启动，使其通过 XWayland 运行。</translation>
    </message>
    <message>
        <source>Copied, press Ctrl+V</source>
        <translation>已复制，请按 Ctrl+V</translation>
    </message>
    <message>
        <source>The hot key %1 could not be set: another program holds it.</source>
        <translation>无法设置快捷键 %1：它已被其他程序占用。</translation>
    </message>
    <message>
        <source>Pause capture</source>
        <translation>暂停记录剪贴板</translation>
    </message>
    <message>
        <source>Tolvane (capture paused)</source>
        <translation>Tolvane（已暂停记录）</translation>
    </message>
    <message>
        <source>This desktop gives programs no global hot keys and shows no tray icons. To open the windows, add a key binding in the desktop&apos;s keyboard settings that runs &quot;tolvane quick-paste&quot; or &quot;tolvane show&quot;.</source>
        <translation>此桌面不向程序提供全局热键，也不显示托盘图标。要打开窗口，请在桌面的键盘设置中添加一个运行“tolvane quick-paste”或“tolvane show”的快捷键。</translation>
    </message>
    <message>
        <source>Hot keys set by the desktop:</source>
        <translation>桌面设置的热键：</translation>
    </message>
    <message>
        <source>no key</source>
        <translation>无按键</translation>
    </message>
    <message>
        <source>The desktop did not let Tolvane put the item on the clipboard; nothing was pasted.</source>
        <translation>桌面不允许 Tolvane 将该项放到剪贴板上；未粘贴任何内容。</translation>
    </message>
</context>
<context>
    <name>KeySequenceEdit</name>
    <message>
        <source>Global shortcut</source>
        <translation>全局快捷键</translation>
    </message>
    <message>
        <source>Modifier key required.</source>
        <translation>需要同时按下修饰键。</translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Cannot delete remote data.</source>
        <translation>不能删除远端数据。</translation>
    </message>
    <message>
        <source>You&apos;re deleting a favor item.</source>
        <translation>你正在删除一个收藏项。</translation>
    </message>
    <message>
        <source>This list is empty.</source>
        <translation>列表为空。</translation>
    </message>
    <message>
        <source>You&apos;re deleting all items.</source>
        <translation>你正在删除所有列表项。</translation>
    </message>
    <message>
        <source>Count:</source>
        <translation>总数：</translation>
    </message>
    <message>
        <source>Text:</source>
        <translation>文本：</translation>
    </message>
    <message>
        <source>Image:</source>
        <translation>图片：</translation>
    </message>
    <message>
        <source>Others:</source>
        <translation>其他：</translation>
    </message>
    <message>
        <source>Search pinned</source>
        <translation>查找 pinned</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Favor</source>
        <translation>收藏</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>固定到 Pin 视图</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Clipboard View</source>
        <translation>剪贴板视图</translation>
    </message>
    <message>
        <source>Pin View</source>
        <translation>Pin 视图</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Report a bug</source>
        <translation>提交 bug</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>没有匹配项</translation>
    </message>
</context>
<context>
    <name>SettingsWnd</name>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>General</source>
        <translation>常规</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>剪贴板</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
</context>
<context>
    <name>SettingsWnd4General</name>
    <message>
        <source>Theme</source>
        <translation>主题</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>浅色</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>深色</translation>
    </message>
    <message>
        <source>Update automatically</source>
        <translation>自动检查更新</translation>
    </message>
    <message>
        <source>Check for updates</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Run at system start</source>
        <translation>开机时启动</translation>
    </message>
    <message>
        <source>Show tray icon</source>
        <translation>显示托盘图标</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>SettingsWnd4Stack</name>
    <message>
        <source>Small</source>
        <translation>小</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>标准</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <source>Large</source>
        <translation>大</translation>
    </message>
    <message>
        <source>Switch view:</source>
        <translation>切换视图：</translation>
    </message>
    <message>
        <source>Switch item:</source>
        <translation>切换列表项：</translation>
    </message>
    <message>
        <source>Pin:</source>
        <translation>固定：</translation>
    </message>
    <message>
        <source>Activate item:</source>
        <translation>激活列表项：</translation>
    </message>
    <message>
        <source>Delete:</source>
        <translation>删除：</translation>
    </message>
    <message>
        <source>Clear history:</source>
        <translation>清空历史：</translation>
    </message>
    <message>
        <source>Search:</source>
        <translation>查找：</translation>
    </message>
    <message>
        <source>Connection:</source>
        <translation>连接：</translation>
    </message>
    <message>
        <source>Close:</source>
        <translation>关闭：</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>设置：</translation>
    </message>
    <message>
        <source>Info:</source>
        <translation>信息：</translation>
    </message>
    <message>
        <source>Duplicate shortcut.</source>
        <translation>快捷键重复。</translation>
    </message>
    <message>
        <source>Quick paste item</source>
        <translation>快速粘贴行高</translation>
    </message>
    <message>
        <source>Max item count</source>
        <translation>最大条目数</translation>
    </message>
    <message>
        <source>Show clipboard</source>
        <translation>显示剪贴板</translation>
    </message>
    <message>
        <source>Show quick paste</source>
        <translation>显示快速粘贴</translation>
    </message>
    <message>
        <source>Show quick pin</source>
        <translation>显示快速 Pin</translation>
    </message>
    <message>
        <source>Hide quick paste view:</source>
        <translation>快速粘贴窗口隐藏于：</translation>
    </message>
    <message>
        <source>Item pasted</source>
        <translation>粘贴之后</translation>
    </message>
    <message>
        <source>Focus lost</source>
        <translation>失去焦点时</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>快捷键一览</translation>
    </message>
</context>
<context>
    <name>UpdatesFoundDlg</name>
    <message>
        <source>New verion(%1) is available!</source>
        <translation>新版本（%1）可用！</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Check updates failed</source>
        <translation>检查更新失败</translation>
    </message>
    <message>
        <source>Latest version is installed</source>
        <translation>已是最新版本</translation>
    </message>
</context>
<context>
    <name>Usage</name>
    <message>
        <source>Usage:</source>
        <translation>帮助：</translation>
    </message>
    <message>
        <source>Clipboard View</source>
        <translation>剪贴板视图</translation>
    </message>
    <message>
        <source>Try pressing &quot;Ctrl+Alt+C&quot; to activate main window.</source>
        <translation>主窗口可通过快捷键 Ctrl+Alt+C 激活。</translation>
    </message>
    <message>
        <source>Tolvane will monitor all your clipboard data</source>
        <translation>Tolvane 会获取所有的剪贴板数据</translation>
    </message>
    <message>
        <source>List item can be dragged out to other application</source>
        <translation>列表项可被拖到其他程序中，图片或者文件被拖到桌面或者文件夹</translation>
    </message>
    <message>
        <source>Once you pinned a item, it will stay in Pin view</source>
        <translation>点击 Pin 按钮后，列表项会被添加到 Pin 视图</translation>
    </message>
    <message>
        <source>By pressing the &quot;Left&quot;/&quot;Right&quot; arrow keys you can switch between Clipboard and Pin view</source>
        <translation>通过左右方向键切换主视图和 Pin 视图</translation>
    </message>
    <message>
        <source>Anything you change in the Preview Panel, e.g. text selection and image rotation, will be saved</source>
        <translation>你在列表旁的详情面板中做的操作，比如文本选择和图片旋转，会被记录下来</translation>
    </message>
    <message>
        <source>Quick paste View</source>
        <translation>快速预览视图</translation>
    </message>
    <message>
        <source>Quick paste window can be activated by pressing &quot;Ctrl+Alt+V&quot; by default</source>
        <translation>快速预览窗口默认通过 Ctrl+Alt+V 激活</translation>
    </message>
    <message>
        <source>Pressing &quot;Enter&quot; (or double click) can paste the selected item to the active window</source>
        <translation>可通过双击或者回车键将快速粘贴视图中的选中项粘贴到下一个窗口</translation>
    </message>
    <message>
        <source>Pressing &quot;Ctrl+F&quot; or &quot;Tab&quot; can switch focus to search input</source>
        <translation>Ctrl+F 和 Tab 键可在搜索栏和列表项之间切换</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Tolvane can communicate with remote computer</source>
        <translation>Tolvane 可以和其他装有 Tolvane 的电脑进行共享数据</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>本地</translation>
    </message>
    <message>
        <source>Send your ip address to your remote computers</source>
        <translation>发送你的 IP 地址给需要连接的机器</translation>
    </message>
    <message>
        <source>If your IP address requires a password you will need to enter that as well</source>
        <translation>如果你设置了密码，你还需要将该密码给远端机器</translation>
    </message>
    <message>
        <source>Remote</source>
        <translation>远端</translation>
    </message>
    <message>
        <source>Setup the ip address and password</source>
        <translation>填好你需要连接的远端机器的地址和密码</translation>
    </message>
    <message>
        <source>Click &quot;Connect&quot; which was displayed as a &quot;Paper Plane&quot;</source>
        <translation>点击“连接”按钮</translation>
    </message>
    <message>
        <source>You can find me in &quot;About&quot; page.</source>
        <translation>你可以在“关于”页面中找到我的联系方式。</translation>
    </message>
</context>
</TS>
